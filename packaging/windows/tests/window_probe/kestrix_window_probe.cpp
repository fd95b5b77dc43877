// SPDX-License-Identifier: MIT
// Drives a Kestrix.exe that runs on its own, as a user would: a program of
// its own under Wine that finds the dialog titled "Kestrix", presses
// 连接设备, answers the message box, presses 读取数据, waits for the download
// and presses 关闭软件. The installers' test under Wine starts the installed
// Kestrix.exe, then this from the build folder.
//
//   kestrix_window_probe.exe RECORDS
//   kestrix_window_probe.exe --rows    only looks: "rows N" of the list of
//                                      the dialog that shows, then ends
//                                      (run.sh --check --windows asks it
//                                      after driving the program by keys)
//
// Prints what it saw, one line each, texts in UTF-8:
//
//   window              the dialog showed
//   box TEXT            a message box, answered with its first button
//   rows N              the list's rows once RECORDS arrived, the program
//                       was idle again, or a box stopped the download
//   closed              the program's dialog went after 关闭软件
//
// and ends with status 0; with 1 and an "error ..." line when something did
// not come within its time. Whether the rows and texts are right is the
// test's to judge. Only messages without pointers cross the process
// boundary, so a 64-bit probe drives the 32-bit program as well.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "control_ids.h"

namespace {

constexpr DWORD kPollMs = 50;
constexpr DWORD kWindowMs = 60000; // Wine's first window of a session is slow
constexpr DWORD kBoxMs = 30000;
constexpr DWORD kDownloadMs = 300000;
constexpr DWORD kCloseMs = 30000;
constexpr int kMessageText = 0xFFFF; // a message box's text

void say(const std::string &line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

[[noreturn]] void fail(const std::string &why)
{
    say("error " + why);
    std::exit(1);
}

std::string utf8(const wchar_t *text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

DWORD processOf(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

// Polls until `found` gives a window or the time is up; null then.
template <typename Find> HWND await(DWORD ms, Find found)
{
    for (DWORD waited = 0; waited < ms; waited += kPollMs) {
        if (HWND window = found())
            return window;
        Sleep(kPollMs);
    }
    return nullptr;
}

HWND kestrixDialog()
{
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", L"Kestrix"); w != nullptr;
         w = FindWindowExW(nullptr, w, L"#32770", L"Kestrix"))
        if (IsWindowVisible(w))
            return w;
    return nullptr;
}

// A visible dialog of the program other than its main one: a message box.
HWND messageBox(HWND dialog)
{
    const DWORD process = processOf(dialog);
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w != nullptr;
         w = FindWindowExW(nullptr, w, L"#32770", nullptr))
        if (w != dialog && IsWindowVisible(w) && processOf(w) == process)
            return w;
    return nullptr;
}

void click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

// Says the box's text and presses its first button; the box must go.
void answer(HWND box)
{
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, kMessageText, text, static_cast<int>(std::size(text)));
    say("box " + utf8(text));
    HWND button = FindWindowExW(box, nullptr, L"Button", nullptr);
    if (button == nullptr)
        fail("the message box has no button");
    click(button);
    if (!await(kBoxMs, [box] { return IsWindow(box) ? nullptr : box; }))
        fail("the message box stayed after its button was pressed");
}

int rowsOf(HWND dialog)
{
    return static_cast<int>(SendMessageW(GetDlgItem(dialog, IDC_RECORD_LIST), LVM_GETITEMCOUNT, 0, 0));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        fail("usage: kestrix_window_probe.exe RECORDS | --rows");
    const bool onlyLook = std::string(argv[1]) == "--rows";
    const int records = std::atoi(argv[1]);

    HWND dialog = await(kWindowMs, kestrixDialog);
    if (dialog == nullptr)
        fail("no window titled Kestrix showed");
    say("window");
    if (onlyLook) {
        say("rows " + std::to_string(rowsOf(dialog)));
        return 0;
    }

    click(GetDlgItem(dialog, IDC_CONNECT));
    HWND box = await(kBoxMs, [dialog] { return messageBox(dialog); });
    if (box == nullptr)
        fail("no message box after 连接设备");
    answer(box);

    // The download is over when every record is listed and the buttons,
    // disabled while the reader works, take clicks again; or when a box
    // says why it stopped.
    HWND readAll = GetDlgItem(dialog, IDC_READ_ALL);
    click(readAll);
    HWND ended = await(kDownloadMs, [dialog, readAll, records]() -> HWND {
        if (HWND stopped = messageBox(dialog))
            return stopped;
        return rowsOf(dialog) >= records && IsWindowEnabled(readAll) ? dialog : nullptr;
    });
    if (ended == nullptr)
        fail("the download did not end; " + std::to_string(rowsOf(dialog)) + " rows");
    say("rows " + std::to_string(rowsOf(dialog)));
    if (ended != dialog)
        answer(ended);

    click(GetDlgItem(dialog, IDOK));
    if (!await(kCloseMs, [dialog] { return IsWindow(dialog) ? nullptr : dialog; }))
        fail("the dialog stayed after 关闭软件");
    say("closed");
    return 0;
}

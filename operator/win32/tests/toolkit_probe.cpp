// SPDX-License-Identifier: MIT
// The Windows toolkit in a test program: the real message boxes and common
// file dialogs of Win32Toolkit, over a top-level window of its own, answered
// by a helper thread of this program the way a user answers them (it finds
// the window, reads it, types into it and presses its buttons). Tests on
// Linux run it under Wine and send it one command a line on standard input;
// each gets one answer line on standard output. Texts travel as UTF-8 in hex
// ("-" for none), lists of them joined by commas.
//
//   message HEX [none|information|warning]  -> CAPTION TEXT ICON BUTTONS OWNED
//   ask HEX 0|1                             -> 0|1 CAPTION TEXT ICON BUTTONS OWNED
//   save NAME|- [yes|no]  (the list's dialog: replace an existing file? yes|no)
//   open NAME|-           (the comparison list's dialog)
//                         -> RESULT|none FILTERS LISTING PROMPTS OWNED
//   cd HEX | post N | dropped | time | sleep MS | beep | quit
//
// ICON is none, information, warning, question or other; BUTTONS the ids of
// the box's buttons; OWNED 1 when the box belongs to the toolkit's owner.
// FILTERS are the file dialog's file types as it lists them, LISTING the
// names its folder view shows, PROMPTS the texts of the boxes the dialog
// raised over itself after its OK (a question whether to replace a file).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "probe_hex.h"
#include "probe_commands.h"
#include "win32_text.h"
#include "win32_toolkit.h"

namespace {

using kestrix::test::answer;
using kestrix::test::commandIn;
using kestrix::test::hex;
using kestrix::test::unhex;

using kestrix::toUtf8;
using kestrix::toWide;

constexpr int kFileNameBox = 0x47c;  // cmb13: the name box, a combo box with an edit
constexpr int kFileNameEdit = 0x480; // edt1: the name box of dialogs without the combo
constexpr int kFileTypes = 0x470;    // cmb1: the file types
constexpr int kMessageText = 0xFFFF; // a message box's text
constexpr DWORD kPollMs = 20;
// A window that never shows up is given up on after this long, so that a
// fault is answered rather than hung on.
constexpr DWORD kGiveUpMs = 30000;

std::string joined(const std::vector<std::string> &items)
{
    std::string text;
    for (const auto &item : items) {
        if (!text.empty())
            text += ',';
        text += hex(item);
    }
    return text.empty() ? "-" : text;
}

std::string windowText(HWND window)
{
    wchar_t buffer[1024] = {};
    GetWindowTextW(window, buffer, static_cast<int>(std::size(buffer)));
    return toUtf8(buffer);
}

std::wstring className(HWND window)
{
    wchar_t buffer[64] = {};
    GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

// A visible dialog window of this process other than `besides`: a message
// box or a common file dialog.
HWND shownDialog(HWND besides)
{
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w != nullptr;
         w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId() && w != besides && IsWindowVisible(w))
            return w;
    }
    return nullptr;
}

// Waits for a dialog to show; null when none did.
HWND awaitDialog(HWND besides, bool ready(HWND) = nullptr)
{
    for (DWORD waited = 0; waited < kGiveUpMs; waited += kPollMs) {
        HWND w = shownDialog(besides);
        if (w != nullptr && (ready == nullptr || ready(w)))
            return w;
        Sleep(kPollMs);
    }
    return nullptr;
}

BOOL CALLBACK collectChild(HWND child, LPARAM list)
{
    reinterpret_cast<std::vector<HWND> *>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> children(HWND parent)
{
    std::vector<HWND> all;
    EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::string iconOf(HWND box)
{
    for (HWND child : children(box)) {
        if (className(child) != L"Static" || !IsWindowVisible(child) ||
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        const auto shown = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        if (shown == nullptr)
            continue;
        if (shown == LoadIconW(nullptr, IDI_INFORMATION))
            return "information";
        if (shown == LoadIconW(nullptr, IDI_WARNING))
            return "warning";
        if (shown == LoadIconW(nullptr, IDI_QUESTION))
            return "question";
        return "other";
    }
    return "none";
}

std::string buttonsOf(HWND box)
{
    std::string ids;
    for (HWND child : children(box))
        if (className(child) == L"Button" && IsWindowVisible(child)) {
            if (!ids.empty())
                ids += ',';
            ids += std::to_string(GetDlgCtrlID(child));
        }
    return ids.empty() ? "-" : ids;
}

void press(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Waits for the window to go; false when it stays.
bool awaitGone(HWND window)
{
    for (DWORD waited = 0; waited < kGiveUpMs; waited += kPollMs) {
        if (!IsWindow(window))
            return true;
        Sleep(kPollMs);
    }
    return false;
}

// A message box as the helper found it.
struct BoxSeen {
    std::string caption = "-", text = "-", icon = "-", buttons = "-";
    bool owned = false;

    std::string line() const
    {
        return hex(caption) + ' ' + hex(text) + ' ' + icon + ' ' + buttons + ' ' + (owned ? '1' : '0');
    }
};

// Finds the box, reads it and presses the button.
BoxSeen answerBox(HWND owner, int button)
{
    BoxSeen seen;
    HWND box = awaitDialog(nullptr);
    if (box == nullptr)
        return seen;
    seen.caption = windowText(box);
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, kMessageText, text, static_cast<int>(std::size(text)));
    seen.text = toUtf8(text);
    seen.icon = iconOf(box);
    seen.buttons = buttonsOf(box);
    seen.owned = GetWindow(box, GW_OWNER) == owner;
    // The box is not left behind whatever the toolkit made of it.
    if (GetDlgItem(box, button) == nullptr)
        button = GetDlgCtrlID(GetWindow(box, GW_CHILD));
    press(box, button);
    if (!awaitGone(box))
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return seen;
}

// A common file dialog as the helper found and answered it.
struct FileDialogSeen {
    std::vector<std::string> filters, listing, prompts;
    bool owned = false;
};

bool hasNameBox(HWND dialog)
{
    return GetDlgItem(dialog, kFileNameBox) != nullptr || GetDlgItem(dialog, kFileNameEdit) != nullptr;
}

std::vector<std::string> filtersOf(HWND dialog)
{
    std::vector<std::string> filters;
    HWND types = GetDlgItem(dialog, kFileTypes);
    const auto count = SendMessageW(types, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(types, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        filters.push_back(toUtf8(item.c_str()));
    }
    return filters;
}

// The names the dialog's folder view shows, sorted.
std::vector<std::string> listingOf(HWND dialog)
{
    std::vector<std::string> names;
    for (HWND child : children(dialog)) {
        if (className(child) != L"SysListView32")
            continue;
        const auto count = static_cast<int>(SendMessageW(child, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t buffer[MAX_PATH] = {};
            LVITEMW item{};
            item.pszText = buffer;
            item.cchTextMax = static_cast<int>(std::size(buffer));
            SendMessageW(child, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            names.push_back(toUtf8(buffer));
        }
        break;
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Types the name and presses OK (or presses Cancel for no name); a box the
// dialog raises over itself is read and answered Yes or No, and after a No
// the dialog is cancelled.
FileDialogSeen answerFileDialog(HWND owner, const std::string &name, bool replace)
{
    FileDialogSeen seen;
    HWND dialog = awaitDialog(nullptr, hasNameBox);
    if (dialog == nullptr)
        return seen;
    seen.owned = GetWindow(dialog, GW_OWNER) == owner;
    seen.filters = filtersOf(dialog);
    seen.listing = listingOf(dialog);
    if (name.empty()) {
        press(dialog, IDCANCEL);
        awaitGone(dialog);
        return seen;
    }
    HWND nameBox = GetDlgItem(dialog, kFileNameBox);
    if (nameBox == nullptr)
        nameBox = GetDlgItem(dialog, kFileNameEdit);
    SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(toWide(name).c_str()));
    press(dialog, IDOK);
    for (DWORD waited = 0; waited < kGiveUpMs; waited += kPollMs) {
        if (!IsWindow(dialog))
            return seen;
        if (HWND box = shownDialog(dialog); box != nullptr && GetWindow(box, GW_OWNER) == dialog) {
            wchar_t text[1024] = {};
            GetDlgItemTextW(box, kMessageText, text, static_cast<int>(std::size(text)));
            seen.prompts.push_back(toUtf8(text));
            press(box, replace ? IDYES : IDNO);
            awaitGone(box);
            if (!replace) {
                press(dialog, IDCANCEL);
                awaitGone(dialog);
                return seen;
            }
        }
        Sleep(kPollMs);
    }
    // Still open: what was typed was not taken. Cancelled, so that the
    // answer says so rather than the probe hanging.
    seen.prompts.push_back("(the dialog did not close)");
    press(dialog, IDCANCEL);
    awaitGone(dialog);
    return seen;
}

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kestrix::kRunTaskMessage) {
        kestrix::Win32Toolkit::runPosted(lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeWindow(const wchar_t *title)
{
    return CreateWindowExW(0, L"KestrixToolkitProbe", title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400,
                           300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

kestrix::MessageIcon iconNamed(const std::string &name)
{
    if (name == "information")
        return kestrix::MessageIcon::Information;
    if (name == "warning")
        return kestrix::MessageIcon::Warning;
    return kestrix::MessageIcon::None;
}

class Probe {
public:
    Probe(HWND owner, DWORD uiThread) : owner_(owner), uiThread_(uiThread) { toolkit_.setOwner(owner); }

    // Runs one command; false for quit.
    bool run(const std::string &line)
    {
        std::istringstream words(line);
        std::string verb, text, option;
        words >> verb >> text >> option;
        if (verb == "message") {
            BoxSeen seen;
            // The helper is under way before the box: while it is up, the
            // box's own loop runs this thread's messages.
            std::thread helper([&] { seen = answerBox(owner_, IDOK); });
            toolkit_.message(unhex(text), iconNamed(option));
            helper.join();
            answer(seen.line());
        } else if (verb == "ask") {
            BoxSeen seen;
            const bool yes = option == "1";
            std::thread helper([&] { seen = answerBox(owner_, yes ? IDYES : IDNO); });
            const bool said = toolkit_.askYesNo(unhex(text));
            helper.join();
            answer(std::string(said ? "1 " : "0 ").append(seen.line()));
        } else if (verb == "save" || verb == "open") {
            // The options the operator's steps give: saving the list, and
            // loading the comparison list.
            kestrix::FileDialogOptions options;
            if (verb == "save") {
                options.filters = {"Microsoft Excel(*.csv)", "All Files(*.*)"};
                options.defaultSuffix = "csv";
                options.confirmOverwrite = true;
            } else {
                options.filters = {"Compare Files(*.csv)", "All Files(*.*)"};
            }
            FileDialogSeen seen;
            const std::string name = unhex(text);
            std::thread helper([&] { seen = answerFileDialog(owner_, name, option != "no"); });
            const auto chosen = verb == "save" ? toolkit_.saveFileName(options) : toolkit_.openFileName(options);
            helper.join();
            answer((chosen ? hex(*chosen) : std::string("none")) + ' ' + joined(seen.filters) + ' ' +
                   joined(seen.listing) + ' ' + joined(seen.prompts) + (seen.owned ? " 1" : " 0"));
        } else if (verb == "cd") {
            answer(SetCurrentDirectoryW(toWide(unhex(text)).c_str()) ? "ok" : "error no such folder");
        } else if (verb == "post") {
            postFromWorker(text.empty() ? 1 : std::stoi(text));
        } else if (verb == "dropped") {
            dropped();
        } else if (verb == "time") {
            const auto t = toolkit_.localTime();
            std::ostringstream out;
            out << t.year << ' ' << t.month << ' ' << t.day << ' ' << t.hour << ' ' << t.minute << ' ' << t.second;
            answer(out.str());
        } else if (verb == "sleep") {
            const int ms = std::stoi(text);
            LARGE_INTEGER start, end, frequency;
            QueryPerformanceFrequency(&frequency);
            QueryPerformanceCounter(&start);
            toolkit_.sleepMs(ms);
            QueryPerformanceCounter(&end);
            answer(std::to_string((end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart));
        } else if (verb == "beep") {
            toolkit_.beep(880, 10);
            answer("ok");
        } else if (verb == "quit") {
            return false;
        } else {
            answer(std::string("error unknown command ").append(verb));
        }
        return true;
    }

private:
    // Posts n numbered tasks from a worker thread; the last to run answers
    // with the order they ran in and whether each ran on this thread.
    void postFromWorker(int n)
    {
        auto order = std::make_shared<std::string>();
        auto onUiThread = std::make_shared<bool>(true);
        std::thread worker([this, n, order, onUiThread] {
            const bool onWorker = GetCurrentThreadId() != uiThread_;
            for (int i = 0; i < n; ++i)
                toolkit_.post([this, i, n, order, onUiThread, onWorker] {
                    *onUiThread = *onUiThread && GetCurrentThreadId() == uiThread_;
                    if (!order->empty())
                        *order += ',';
                    *order += std::to_string(i);
                    if (i == n - 1)
                        answer(std::string("ran ").append(*order).append(*onUiThread && onWorker ? " 1" : " 0"));
                });
        });
        worker.join();
    }

    // A task posted to a window that has gone: not run, and freed.
    void dropped()
    {
        kestrix::Win32Toolkit gone;
        HWND window = makeWindow(L"gone");
        gone.setOwner(window);
        DestroyWindow(window);
        auto token = std::make_shared<int>(0);
        auto ran = std::make_shared<bool>(false);
        gone.post([token, ran] { *ran = true; });
        // Whatever was queued for this thread has run before the answer.
        MSG queued;
        while (PeekMessageW(&queued, nullptr, 0, 0, PM_REMOVE)) {
            if (queued.hwnd == nullptr && queued.message == kestrix::test::kCommandMessage) {
                PostThreadMessageW(uiThread_, queued.message, queued.wParam, queued.lParam);
                break;
            }
            DispatchMessageW(&queued);
        }
        answer(std::string("ran ").append(*ran ? "1" : "0").append(token.use_count() == 1 ? " freed" : " held"));
    }

    HWND owner_;
    DWORD uiThread_;
    kestrix::Win32Toolkit toolkit_;
};

} // namespace

int main()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ownerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KestrixToolkitProbe";
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&windowClass);
    HWND owner = makeWindow(L"Kestrix toolkit probe");
    if (owner == nullptr) {
        answer("error the window was not created (" + std::to_string(GetLastError()) + ")");
        return 1;
    }
    ShowWindow(owner, SW_SHOWNORMAL);
    const DWORD uiThread = GetCurrentThreadId();
    Probe probe(owner, uiThread);

    // The next line is only sent once the last one is answered, so none
    // arrives while a box's own loop runs (which would drop it).
    kestrix::test::readCommandsForThisThread();
    answer("ready");

    MSG message;
    bool running = true;
    while (running && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (const auto command = commandIn(message)) {
            running = probe.run(*command);
        } else {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    DestroyWindow(owner);
    std::fflush(stdout);
    ExitProcess(0);
}

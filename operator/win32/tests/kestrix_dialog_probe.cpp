// SPDX-License-Identifier: MIT
// The Windows dialog in a test program, driven the way the desktop drives it:
// through window messages (BM_CLICK, WM_SETTEXT, WM_GETTEXT, LVM_GETITEMTEXTW,
// PBM_GETPOS, a queued Esc), with a scripted toolkit. Tests on Linux run it
// under Wine and send it one command a line on standard input; each gets
// one answer line on standard output. Texts travel as UTF-8 in hex.
//
//   click ID | settext ID HEX | gettext ID | enabled ID | visible | pos
//   rowcount | rows | said | forget | answer 0|1 | choose HEX | escape | enter | close
//   idle (answers once no step is busy) | sleeps | quit
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "probe_hex.h"
#include "probe_commands.h"
#include "compare_table.h"
#include "control_ids.h"
#include "win32_kestrix_dlg.h"
#include "scripted_win32_toolkit.h"
#include "win32_text.h"

namespace {

using kestrix::test::answer;
using kestrix::test::commandIn;
using kestrix::test::hex;
using kestrix::test::unhex;

using kestrix::CKestrixDlg;
using kestrix::test::ScriptedWin32Toolkit;

std::string cellText(HWND list, int row, int column)
{
    wchar_t buffer[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(std::size(buffer));
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return kestrix::toUtf8(buffer);
}

class Probe {
public:
    Probe(CKestrixDlg &dialog, ScriptedWin32Toolkit &toolkit) : dialog_(dialog), toolkit_(toolkit) {}

    // Runs one command; false for quit.
    bool run(const std::string &line)
    {
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        HWND window = dialog_.window();
        int id = 0;
        if (verb == "click") {
            words >> id;
            SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0);
            answer("ok");
        } else if (verb == "settext") {
            std::string text;
            words >> id >> text;
            SendMessageW(GetDlgItem(window, id), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(kestrix::toWide(unhex(text)).c_str()));
            answer("ok");
        } else if (verb == "gettext") {
            words >> id;
            wchar_t buffer[256] = {};
            SendMessageW(GetDlgItem(window, id), WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer));
            answer(hex(kestrix::toUtf8(buffer)));
        } else if (verb == "enabled") {
            words >> id;
            answer(IsWindowEnabled(GetDlgItem(window, id)) ? "1" : "0");
        } else if (verb == "visible") {
            answer(IsWindowVisible(window) ? "1" : "0");
        } else if (verb == "focus") {
            answer(std::to_string(GetDlgCtrlID(GetFocus())));
        } else if (verb == "pos") {
            answer(std::to_string(SendMessageW(GetDlgItem(window, IDC_PROGRESS), PBM_GETPOS, 0, 0)));
        } else if (verb == "rowcount") {
            answer(std::to_string(SendMessageW(GetDlgItem(window, IDC_RECORD_LIST), LVM_GETITEMCOUNT, 0, 0)));
        } else if (verb == "rows") {
            HWND list = GetDlgItem(window, IDC_RECORD_LIST);
            const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
            std::string text = std::to_string(count);
            for (int r = 0; r < count; ++r)
                for (int c = 0; c < 4; ++c) {
                    text += c == 0 ? ' ' : ',';
                    text += hex(cellText(list, r, c));
                }
            answer(text);
        } else if (verb == "said") {
            std::string text = std::to_string(toolkit_.said.size());
            for (const auto &s : toolkit_.said) {
                text += ' ';
                text += hex(s);
            }
            answer(text);
        } else if (verb == "events") {
            std::string text = std::to_string(toolkit_.events.size());
            for (const auto &e : toolkit_.events) {
                text += ' ';
                text += hex(e);
            }
            answer(text);
        } else if (verb == "sleeps") {
            std::string text;
            for (int ms : toolkit_.sleeps())
                text += std::to_string(ms) + " ";
            answer(text.empty() ? "-" : text);
        } else if (verb == "forget") {
            toolkit_.said.clear();
            toolkit_.events.clear();
            answer("ok");
        } else if (verb == "answer") {
            int yes = 0;
            words >> yes;
            toolkit_.answers.push_back(yes != 0);
            answer("ok");
        } else if (verb == "choose") {
            std::string name;
            words >> name;
            toolkit_.fileChoices.push_back(unhex(name));
            answer("ok");
        } else if (verb == "escape" || verb == "enter") {
            // As the keyboard gives them: keys the dialog manager turns into
            // IDCANCEL and into the default button (IDOK).
            const WPARAM key = verb == "escape" ? VK_ESCAPE : VK_RETURN;
            HWND focus = GetFocus() ? GetFocus() : window;
            PostMessageW(focus, WM_KEYDOWN, key, 0);
            PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
            answer("ok");
        } else if (verb == "close") {
            PostMessageW(window, WM_CLOSE, 0, 0);
            answer("ok");
        } else if (verb == "idle") {
            waitingForIdle_ = true;
        } else if (verb == "quit") {
            return false;
        } else {
            answer(std::string("error unknown command ").append(verb));
        }
        return true;
    }

    // After each message: an idle that was asked for is answered once no
    // step is busy and nothing is queued for the dialog.
    void afterMessage()
    {
        MSG queued;
        if (waitingForIdle_ && !dialog_.controller().busy() && !PeekMessageW(&queued, nullptr, 0, 0, PM_NOREMOVE)) {
            waitingForIdle_ = false;
            answer("idle");
        }
    }

private:
    CKestrixDlg &dialog_;
    ScriptedWin32Toolkit &toolkit_;
    bool waitingForIdle_ = false;
};

} // namespace

int main()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    static kestrix::CompareTable compareTable;
    ScriptedWin32Toolkit toolkit;
    CKestrixDlg dialog(toolkit, compareTable);
    if (!dialog.createModeless(GetModuleHandleW(nullptr))) {
        answer("error the dialog was not created (" + std::to_string(GetLastError()) + ")");
        return 1;
    }
    Probe probe(dialog, toolkit);

    kestrix::test::readCommandsForThisThread();
    answer("ready");

    MSG message;
    bool running = true;
    // A short timer keeps the loop turning, so that an idle asked for while
    // nothing else happens is still answered.
    SetTimer(nullptr, 0, 20, nullptr);
    while (running && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (const auto command = commandIn(message)) {
            running = probe.run(*command);
        } else if (!IsDialogMessageW(dialog.window(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        probe.afterMessage();
    }
    dialog.destroy();
    std::fflush(stdout);
    ExitProcess(0);
}

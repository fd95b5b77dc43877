// SPDX-License-Identifier: MIT
#include "scripted_win32_toolkit.h"

namespace kestrix::test {

void ScriptedWin32Toolkit::message(const std::string &text, MessageIcon)
{
    said.push_back(text);
    events.push_back("message " + text);
}

bool ScriptedWin32Toolkit::askYesNo(const std::string &text)
{
    events.push_back("question " + text);
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedWin32Toolkit::choice()
{
    events.push_back("file dialog");
    if (fileChoices.empty())
        return std::nullopt;
    std::string name = fileChoices.front();
    fileChoices.pop_front();
    if (name.empty())
        return std::nullopt;
    return name;
}

std::optional<std::string> ScriptedWin32Toolkit::saveFileName(const FileDialogOptions &) { return choice(); }

std::optional<std::string> ScriptedWin32Toolkit::openFileName(const FileDialogOptions &) { return choice(); }

void ScriptedWin32Toolkit::beep(int, int) { events.push_back("beep"); }

void ScriptedWin32Toolkit::sleepMs(int ms)
{
    // The reader is not kept waiting for nothing: the wait is only noted.
    std::lock_guard lock(mutex_);
    sleeps_.push_back(ms);
}

std::vector<int> ScriptedWin32Toolkit::sleeps() const
{
    std::lock_guard lock(mutex_);
    return sleeps_;
}

} // namespace kestrix::test

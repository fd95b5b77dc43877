// SPDX-License-Identifier: MIT
// The Windows toolkit with its boxes and file dialogs scripted, for tests:
// what the dialog shows is recorded and answered from a script, while tasks
// still come back to the dialog as window messages, as in the program.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "win32_toolkit.h"

namespace kestrix::test {

class ScriptedWin32Toolkit : public Win32Toolkit {
public:
    void message(const std::string &text, MessageIcon icon) override;
    bool askYesNo(const std::string &text) override;
    std::optional<std::string> saveFileName(const FileDialogOptions &options) override;
    std::optional<std::string> openFileName(const FileDialogOptions &options) override;
    void beep(int frequencyHz, int durationMs) override;
    void sleepMs(int ms) override;
    LocalTime localTime() override { return now; }

    std::deque<bool> answers;
    std::deque<std::string> fileChoices;
    LocalTime now{2024, 12, 31, 23, 59, 58};
    std::vector<std::string> said;   // message texts, in order
    std::vector<std::string> events; // questions, file dialogs, beeps
    std::vector<int> sleeps() const;

private:
    std::optional<std::string> choice();
    mutable std::mutex mutex_; // sleepMs comes from the worker
    std::vector<int> sleeps_;
};

} // namespace kestrix::test

// SPDX-License-Identifier: MIT
// A toolkit for tests of the operator's steps: records every message,
// question, file dialog, beep and wait in order, answers from a script, and
// keeps the tasks posted to the user-interface thread until the test runs
// them (the test's own thread is that thread).
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "toolkit.h"

namespace kestrix::test {

class ScriptedToolkit : public Toolkit {
public:
    struct Message {
        std::string text;
        MessageIcon icon;
    };

    void message(const std::string &text, MessageIcon icon) override;
    bool askYesNo(const std::string &text) override;
    std::optional<std::string> saveFileName(const FileDialogOptions &options) override;
    std::optional<std::string> openFileName(const FileDialogOptions &options) override;
    void beep(int frequencyHz, int durationMs) override;
    void sleepMs(int ms) override;
    LocalTime localTime() override { return now; }
    void post(std::function<void()> task) override;

    // Runs posted tasks, waiting for more as they come, until done() holds
    // after one; false when it still does not after the limit (a hang).
    bool runUntil(const std::function<bool()> &done, std::chrono::seconds limit = std::chrono::seconds(60));
    // Runs what is posted already, without waiting.
    void runPending();
    // Called before each message box is shown: a test can act while one is up.
    std::function<void(const std::string &)> onMessage;

    // Answers, taken in order; a question without one is answered No and a
    // file dialog without one, or with an empty name, is cancelled.
    std::deque<bool> answers;
    std::deque<std::string> fileChoices;
    LocalTime now{2024, 12, 31, 23, 59, 58};

    std::vector<Message> messages;
    std::vector<std::string> questions;
    std::vector<FileDialogOptions> fileDialogs;
    std::vector<std::pair<int, int>> beeps;
    std::vector<std::string> events; // "message: ...", "question: ...", "beep", "sleep 50", "file dialog"

    std::vector<std::string> texts() const;
    std::vector<int> sleeps() const;
    void forget();

private:
    std::optional<std::string> takeFileChoice(const FileDialogOptions &options);

    mutable std::mutex mutex_; // for what the worker touches: posts and sleeps
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
    std::vector<int> sleeps_;
};

} // namespace kestrix::test

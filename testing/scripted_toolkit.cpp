// SPDX-License-Identifier: MIT
#include "kestrix_testing/scripted_toolkit.h"

#include <thread>

namespace kestrix::test {

void ScriptedToolkit::message(const std::string &text, MessageIcon icon)
{
    if (onMessage)
        onMessage(text);
    messages.push_back({text, icon});
    events.push_back("message: " + text);
}

bool ScriptedToolkit::askYesNo(const std::string &text)
{
    questions.push_back(text);
    events.push_back("question: " + text);
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedToolkit::takeFileChoice(const FileDialogOptions &options)
{
    fileDialogs.push_back(options);
    events.push_back("file dialog");
    if (fileChoices.empty())
        return std::nullopt;
    std::string choice = fileChoices.front();
    fileChoices.pop_front();
    if (choice.empty())
        return std::nullopt;
    return choice;
}

std::optional<std::string> ScriptedToolkit::saveFileName(const FileDialogOptions &options)
{
    return takeFileChoice(options);
}

std::optional<std::string> ScriptedToolkit::openFileName(const FileDialogOptions &options)
{
    return takeFileChoice(options);
}

void ScriptedToolkit::beep(int frequencyHz, int durationMs)
{
    beeps.emplace_back(frequencyHz, durationMs);
    events.push_back("beep");
}

void ScriptedToolkit::sleepMs(int ms)
{
    // The reader is not kept waiting for nothing: the wait is only noted.
    std::lock_guard lock(mutex_);
    sleeps_.push_back(ms);
}

void ScriptedToolkit::post(std::function<void()> task)
{
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    posted_.notify_one();
}

void ScriptedToolkit::runPending()
{
    while (true) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty())
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

bool ScriptedToolkit::runUntil(const std::function<bool()> &done, std::chrono::seconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    runPending();
    while (!done()) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            if (!posted_.wait_until(lock, until, [this] { return !tasks_.empty(); }))
                return false;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
    return true;
}

std::vector<std::string> ScriptedToolkit::texts() const
{
    std::vector<std::string> result;
    for (const auto &m : messages)
        result.push_back(m.text);
    return result;
}

std::vector<int> ScriptedToolkit::sleeps() const
{
    std::lock_guard lock(mutex_);
    return sleeps_;
}

void ScriptedToolkit::forget()
{
    messages.clear();
    questions.clear();
    fileDialogs.clear();
    beeps.clear();
    events.clear();
    std::lock_guard lock(mutex_);
    sleeps_.clear();
}

} // namespace kestrix::test

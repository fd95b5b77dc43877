// SPDX-License-Identifier: MIT
// What the operator's steps need from the desktop: message boxes, questions,
// file pickers, the beep, short waits, the local time, and a way back to the
// user-interface thread. Each front end gives its own (Qt's on Linux,
// Win32's on Windows); tests give a scripted one that records what was shown
// and answers. Texts are UTF-8; file names are the system's (the bytes of
// the path on POSIX, UTF-8 on Windows).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrix {

enum class MessageIcon { None, Information, Warning };

struct FileDialogOptions {
    std::vector<std::string> filters; // "Microsoft Excel(*.csv)", "All Files(*.*)"
    std::string defaultSuffix;        // appended when the name typed has none
    bool confirmOverwrite = false;
};

struct LocalTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // A message box with the program's name as caption and an OK button.
    virtual void message(const std::string &text, MessageIcon icon = MessageIcon::None) = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string &text) = 0;
    virtual std::optional<std::string> saveFileName(const FileDialogOptions &options) = 0;
    virtual std::optional<std::string> openFileName(const FileDialogOptions &options) = 0;
    virtual void beep(int frequencyHz, int durationMs) = 0;
    // Called from the worker thread too.
    virtual void sleepMs(int ms) = 0;
    virtual LocalTime localTime() = 0;

    // Runs the task on the user-interface thread, after what is queued there
    // already; called from any thread. A task posted after the front end has
    // gone is dropped.
    virtual void post(std::function<void()> task) = 0;
};

} // namespace kestrix

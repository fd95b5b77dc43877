// SPDX-License-Identifier: MIT
// How a probe under Wine talks to its test on Linux: one command a line on
// standard input, read on a thread of its own and handed to the window
// thread as a thread message, so that commands run between the window's
// messages; one answer a line on standard output.
#pragma once

#include <windows.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace kestrix::test {

// A thread message whose lParam is a heap std::string: one command.
constexpr UINT kCommandMessage = WM_APP + 2;

inline void answer(const std::string &line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Starts reading standard input for the calling (window) thread; the end of
// input comes as "quit". The reader may still sit in getline when the probe
// ends, so the probe ends with ExitProcess rather than waiting for it.
inline void readCommandsForThisThread()
{
    // The thread's queue exists before the reader posts to it.
    MSG none;
    PeekMessageW(&none, nullptr, 0, 0, PM_NOREMOVE);
    const DWORD thread = GetCurrentThreadId();
    std::thread([thread] {
        std::string line;
        while (std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            PostThreadMessageW(thread, kCommandMessage, 0, reinterpret_cast<LPARAM>(new std::string(line)));
        }
        PostThreadMessageW(thread, kCommandMessage, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
    }).detach();
}

// The command a message carries, taken from it; none for any other message.
inline std::optional<std::string> commandIn(const MSG &message)
{
    if (message.hwnd != nullptr || message.message != kCommandMessage)
        return std::nullopt;
    const std::unique_ptr<std::string> line(reinterpret_cast<std::string *>(message.lParam));
    return *line;
}

} // namespace kestrix::test

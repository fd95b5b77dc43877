// SPDX-License-Identifier: MIT
// A program run as a real process by a test: its standard output on a pipe,
// its standard error on a pipe or, as a terminal, on a pseudo-terminal that
// is also its standard input. Every test folder that runs programs (the
// virtual reader's, the command-line tool's) uses this one.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kestrix::testing {

struct ChildSetup {
    bool onTerminal = false;             // stdin and stderr a terminal
    std::optional<rlim_t> fileSizeLimit; // RLIMIT_FSIZE, SIGXFSZ ignored
};

class ChildProcess {
public:
    // argv[0] is the program's path.
    explicit ChildProcess(const std::vector<std::string> &argv, const ChildSetup &setup = {});
    ~ChildProcess(); // kills it if still running
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // The next line of standard output, without its line feed.
    std::optional<std::string> readLine(std::chrono::milliseconds limit = std::chrono::seconds(20));
    // Types on the terminal (onTerminal only).
    void type(const std::string &text);
    // Waits until standard error (or the terminal) has shown the text.
    bool waitForError(const std::string &text, std::chrono::milliseconds limit = std::chrono::seconds(20));
    // The reading end of standard output goes away, as `| head -1` does.
    void closeOutput();
    void signal(int number);
    // The exit status, or 128 plus the signal that ended it; killed when it
    // runs past the limit, so a hang fails the test instead of hanging it.
    int wait(std::chrono::milliseconds limit = std::chrono::seconds(60));

    const std::string &output() const { return out_; }
    const std::string &errors() const { return err_; } // or what the terminal showed

private:
    bool pump(int timeoutMs); // false once both are closed

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1; // the pipe, or the terminal's master side
    std::string out_;
    std::string err_;
    std::size_t lineStart_ = 0;
    std::optional<int> status_;
};

} // namespace kestrix::testing

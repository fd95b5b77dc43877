// SPDX-License-Identifier: MIT
// kestlink run as a real process by the tests: its standard output on a
// pipe, its standard error on a pipe or, as a terminal, on a pseudo-terminal
// that is also its standard input (for the progress bar and the question
// before erasing).
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kestlink_cli::test {

struct ToolSetup {
    bool onTerminal = false;             // stdin and stderr a terminal
    std::optional<rlim_t> fileSizeLimit; // RLIMIT_FSIZE, SIGXFSZ ignored
};

class Tool {
public:
    explicit Tool(const std::vector<std::string> &args, const ToolSetup &setup = {});
    ~Tool(); // kills it if still running
    Tool(const Tool &) = delete;
    Tool &operator=(const Tool &) = delete;

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

// A run to its end: status, output and errors.
struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};
ToolResult runTool(const std::vector<std::string> &args, const ToolSetup &setup = {});

} // namespace kestlink_cli::test

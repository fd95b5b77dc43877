// SPDX-License-Identifier: MIT
// Wine for the tests: one prefix in the build folder, made on first use, and
// one wineserver that this process starts in the foreground before any Wine
// program. A daemonised wineserver would take the first pseudo-terminal it
// opens as its controlling terminal and dump its object table on every
// hang-up; a Wine program started before the server listens would start a
// second server.
//
// Nothing of the session outlives this process, however it ends: every
// process of it carries KESTRIX_WINE_SESSION=kestrix-wine-<this pid> in its
// environment, and scripts/wine-reaper.sh, started first and detached, ends
// them all once this process is gone (an abort, kill -9, a runner's
// time-out). Their output goes to log files in <prefix>-logs/, never to this
// process's own standard output or error, which a test runner waits on.
//
// 64-bit programs, the server and wineboot go through Wine's 64-bit loader,
// which works whether or not this kernel runs 32-bit programs; 32-bit ones
// through the 32-bit loader where they run here (wine_loaders.h).
//
// Set by the build for the tests that use it: KESTLINK_WINE_PREFIX, the prefix
// folder.
#pragma once

#include <string>
#include <utility>
#include <sys/types.h>
#include <vector>

#include "kestrix_testing/wine/wine_loaders.h"

namespace kestlink::test {

class WineSession {
public:
    // The session of this process, started on first use. Throws
    // std::runtime_error saying what failed, with what Wine wrote; once
    // that has happened, every later call throws a short reminder of it.
    static WineSession &instance();

    // Why the program cannot be run under Wine here, or "" when it can: a
    // 32-bit program where 32-bit programs are not run, a session that failed
    // to start earlier in this process. Starts nothing; a test that gets a
    // reason skips with it.
    static std::string whyNotRunnable(const std::string &executable);

    // Makes COM1 to COM12 of the prefix the COMn links in the directory
    // (links to links, so that a reader that hangs up and comes back on a
    // new terminal is found again); a name with no reader behind it dangles
    // and fails to open, as an absent port does.
    void linkPorts(const std::string &portDirectory) const;

    // Starts a Windows program under Wine in the folder it lies in (beside
    // its DLLs), its standard input and output on the given descriptors (-1:
    // /dev/null and the log), its standard error on the log. Returns its
    // process id. Throws when it cannot.
    pid_t start(const std::string &executable, const std::vector<std::string> &args, int input, int output) const;

    // Runs a Windows program to its end; returns its exit status and what it
    // wrote to standard output.
    std::pair<int, std::string> runProgram(const std::string &executable, const std::vector<std::string> &args) const;

    // The last lines the session's programs wrote to standard error.
    std::string programErrors() const;

    WineSession(const WineSession &) = delete;
    WineSession &operator=(const WineSession &) = delete;
    ~WineSession();

private:
    WineSession();
    void stop();
    std::vector<std::string> environment(int width) const;
    // Runs a Linux program of Wine's to its end, its output in the log file;
    // returns its exit status.
    int runLogged(const std::vector<std::string> &argv, const std::string &log) const;

    WineLoaders loaders_;
    std::string prefix_;
    std::string logs_;
    std::vector<std::string> settings_; // NAME=VALUE
    pid_t server_ = -1;
    int programLog_ = -1;
};

} // namespace kestlink::test

// Wine for the tests: one prefix in the build folder, made on first use, and
// one wineserver that this process starts in the foreground before any Wine
// program and stops at exit. A daemonised wineserver would take the first
// pseudo-terminal it opens as its controlling terminal and dump its object
// table on every hang-up; a Wine program started before the server listens
// would start a second server.
//
// Set by the build for the tests that use it: KESTLINK_WINE_PREFIX, the prefix
// folder. Wine itself is found on the PATH.
#pragma once

#include <string>
#include <utility>
#include <sys/types.h>
#include <vector>

namespace kestlink::test {

class WineSession {
public:
    // The session of this process, started on first use. Throws
    // std::runtime_error saying what is missing.
    static WineSession &instance();

    // The environment a Wine program is started with: this process's, with
    // the prefix named and Wine's own messages off.
    std::vector<std::string> environment() const;

    // Makes COM1 to COM12 of the prefix the COMn links in the directory
    // (links to links, so that a reader that hangs up and comes back on a
    // new terminal is found again); a name with no reader behind it dangles
    // and fails to open, as an absent port does.
    void linkPorts(const std::string &portDirectory) const;

    // Starts a Windows program under Wine in the folder it lies in (beside
    // its DLLs), its standard input and output on the given descriptors (-1:
    // this process's own). Returns its process id. Throws when it cannot.
    pid_t start(const std::string &executable, const std::vector<std::string> &args, int input, int output) const;

    // Runs a Windows program to its end; returns its exit status and what it
    // wrote to standard output.
    std::pair<int, std::string> runProgram(const std::string &executable, const std::vector<std::string> &args) const;

    WineSession(const WineSession &) = delete;
    WineSession &operator=(const WineSession &) = delete;

private:
    WineSession();
    ~WineSession();
    void run(const std::vector<std::string> &argv) const;

    std::string prefix_;
    std::vector<std::string> settings_; // NAME=VALUE
    pid_t server_ = -1;
};

} // namespace kestlink::test

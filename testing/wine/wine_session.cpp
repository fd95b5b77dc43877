// SPDX-License-Identifier: MIT
#include "kestrix_testing/wine/wine_session.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <thread>

#include "kestrix_testing/wine/wine_loaders.h"

extern char **environ;

namespace kestlink::test {

namespace fs = std::filesystem;

namespace {

constexpr int kHighestPort = 12;
constexpr char kSessionVariable[] = "KESTRIX_WINE_SESSION";

std::vector<char *> pointersTo(std::vector<std::string> &strings)
{
    std::vector<char *> pointers;
    for (auto &s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

bool named(const std::string &entry, const std::string &name) { return entry.rfind(name + "=", 0) == 0; }

// This process's environment without the named variables.
std::vector<std::string> environmentWithout(const std::vector<std::string> &names)
{
    std::vector<std::string> all;
    for (char **e = environ; *e != nullptr; ++e) {
        bool dropped = false;
        for (const auto &name : names)
            dropped = dropped || named(*e, name);
        if (!dropped)
            all.emplace_back(*e);
    }
    return all;
}

int openLog(const std::string &path, int flags)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0644);
    if (fd < 0)
        throw std::runtime_error(path + ": " + std::strerror(errno));
    return fd;
}

// Starts argv[0] (a path) with standard input from `input` (-1: /dev/null),
// output and error on the given descriptors (-1: /dev/null), in `folder`
// when one is given.
pid_t spawn(std::vector<std::string> argv, std::vector<std::string> env, int input, int output, int error,
            const std::string &folder = "")
{
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    const std::pair<int, int> streams[] = {{input, STDIN_FILENO}, {output, STDOUT_FILENO}, {error, STDERR_FILENO}};
    for (const auto &[fd, target] : streams) {
        if (fd >= 0)
            ::posix_spawn_file_actions_adddup2(&actions, fd, target);
        else
            ::posix_spawn_file_actions_addopen(&actions, target, "/dev/null",
                                               target == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
    }
    if (!folder.empty())
        ::posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    auto args = pointersTo(argv);
    auto envp = pointersTo(env);
    pid_t pid = -1;
    const int failure = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    ::posix_spawn_file_actions_destroy(&actions);
    if (failure != 0)
        throw std::runtime_error(argv[0] + ": " + std::strerror(failure));
    return pid;
}

int statusOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return statusOf(status);
}

// Waits up to `limit` for the child to end; kills it when it has not.
void endWithin(pid_t pid, std::chrono::seconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid, SIGKILL);
    waitFor(pid);
}

// The file's last lines, for a message that says what Wine wrote.
std::string lastLines(const std::string &path, std::size_t count = 15)
{
    std::ifstream in(path);
    std::deque<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
        if (lines.size() > count)
            lines.pop_front();
    }
    std::string text;
    for (const auto &line : lines)
        text += "\n    " + line;
    return lines.empty() ? " (" + path + " is empty)" : " (" + path + "):" + text;
}

struct Instance {
    std::unique_ptr<WineSession> session;
    std::string failure;
};

Instance &theInstance()
{
    static Instance instance;
    return instance;
}

} // namespace

WineSession &WineSession::instance()
{
    auto &the = theInstance();
    if (the.session)
        return *the.session;
    if (!the.failure.empty())
        throw std::runtime_error("the Wine session could not be started; the first test that used it says why");
    try {
        the.session.reset(new WineSession);
    } catch (const std::exception &e) {
        the.failure = e.what();
        throw;
    }
    return *the.session;
}

std::string WineSession::whyNotRunnable(const std::string &executable)
{
    if (windowsWidthOf(executable) == 32 && !wineLoaders().skip32.empty())
        return wineLoaders().skip32;
    if (!theInstance().failure.empty())
        return "the Wine session could not be started; the first test that used it says why";
    return "";
}

WineSession::WineSession()
{
    const char *prefix = std::getenv("KESTLINK_WINE_PREFIX");
    if (prefix == nullptr || *prefix == '\0')
        throw std::runtime_error("KESTLINK_WINE_PREFIX is not set: the build sets it for the Windows tests");
    prefix_ = prefix;
    logs_ = prefix_ + "-logs";
    fs::create_directories(prefix_);
    fs::create_directories(logs_);
    // A copy: the session ends at exit, after function-local statics made
    // later than it are gone.
    loaders_ = wineLoaders();
    const auto &loaders = loaders_;
    const std::string session = "kestrix-wine-" + std::to_string(::getpid());
    settings_ = {"WINEPREFIX=" + prefix_, "WINEDEBUG=-all",
                 "WINEDLLOVERRIDES=mscoree,mshtml=", std::string(kSessionVariable) + "=" + session};

    // First the reaper, so that nothing started after it can outlive this
    // process; it does not carry the variable, or it would end itself.
    waitFor(spawn({"/bin/sh", KESTLINK_WINE_SCRIPTS "/wine-reaper.sh", std::to_string(::getpid()), session},
                  environmentWithout({kSessionVariable}), -1, -1, -1));

    programLog_ = openLog(logs_ + "/programs.log", O_TRUNC | O_APPEND);
    const std::string serverLog = logs_ + "/wineserver.log";
    const int serverOutput = openLog(serverLog, O_TRUNC);
    try {
        server_ = spawn({loaders.wineserver, "--foreground", "--persistent"}, environment(64), -1, serverOutput,
                        serverOutput);
    } catch (...) {
        ::close(serverOutput);
        throw;
    }
    ::close(serverOutput);
    try {
        // The server needs a moment before it listens; a program started
        // sooner would start a server of its own.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        int status = 0;
        if (::waitpid(server_, &status, WNOHANG) == server_) {
            server_ = -1;
            throw std::runtime_error(loaders.wineserver + " stopped at once with status " +
                                     std::to_string(statusOf(status)) + " (is another one running for " + prefix_ +
                                     "?)" + lastLines(serverLog));
        }
        // A fresh prefix takes about 10 s to make and about 1.3 GB. Its
        // registry reaches system.reg when the server ends; until then a
        // prefix is made again (a few seconds) by each session.
        if (!fs::exists(fs::path(prefix_) / "system.reg")) {
            const std::string log = logs_ + "/wineboot.log";
            const int status = runLogged({loaders.wine64, "wineboot", "--init"}, log);
            const bool made = fs::exists(fs::path(prefix_) / "drive_c" / "windows");
            if (status != 0 || !made)
                throw std::runtime_error("making the Wine prefix " + prefix_ + " failed: " + loaders.wine64 +
                                         " wineboot --init ended with status " + std::to_string(status) +
                                         (made ? "" : " and made no drive_c/windows") + lastLines(log));
        }
    } catch (...) {
        stop();
        throw;
    }
}

WineSession::~WineSession()
{
    try {
        stop();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "stopping the Wine session: %s\n", e.what());
    }
}

void WineSession::stop()
{
    if (server_ > 0) {
        // Ends every Wine program of the prefix, then the server itself.
        runLogged({loaders_.wineserver, "--kill"}, logs_ + "/wineserver-kill.log");
        endWithin(server_, std::chrono::seconds(10));
        server_ = -1;
    }
    if (programLog_ >= 0) {
        ::close(programLog_);
        programLog_ = -1;
    }
}

std::vector<std::string> WineSession::environment(int width) const
{
    // WINELOADER is how Wine starts the programs a program starts (services,
    // wineboot's helpers): the 64-bit loader for a 64-bit session, since
    // Debian's `wine` runs the 32-bit one whenever it is installed.
    std::vector<std::string> names = {"WINELOADER"};
    for (const auto &setting : settings_)
        names.push_back(setting.substr(0, setting.find('=')));
    auto all = environmentWithout(names);
    all.insert(all.end(), settings_.begin(), settings_.end());
    if (width == 64)
        all.push_back("WINELOADER=" + loaders_.wine64);
    return all;
}

int WineSession::runLogged(const std::vector<std::string> &argv, const std::string &log) const
{
    const int output = openLog(log, O_TRUNC);
    try {
        const pid_t pid = spawn(argv, environment(64), -1, output, output);
        ::close(output);
        return waitFor(pid);
    } catch (...) {
        ::close(output);
        throw;
    }
}

pid_t WineSession::start(const std::string &executable, const std::vector<std::string> &args, int input,
                         int output) const
{
    const int width = windowsWidthOf(executable);
    if (width == 0)
        throw std::runtime_error(executable + " is not a Windows program");
    if (const auto why = whyNotRunnable(executable); !why.empty())
        throw std::runtime_error(executable + ": " + why);
    const auto &loaders = loaders_;
    std::vector<std::string> argv = {width == 64 ? loaders.wine64 : loaders.wine32,
                                     fs::path(executable).filename().string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return spawn(argv, environment(width), input, output, programLog_, fs::absolute(executable).parent_path());
}

std::pair<int, std::string> WineSession::runProgram(const std::string &executable,
                                                    const std::vector<std::string> &args) const
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe2: ") + std::strerror(errno));
    pid_t pid = -1;
    try {
        pid = start(executable, args, -1, out[1]);
    } catch (...) {
        ::close(out[0]);
        ::close(out[1]);
        throw;
    }
    ::close(out[1]);
    std::string output;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(out[0], buffer, sizeof buffer)) != 0) {
        if (n > 0)
            output.append(buffer, static_cast<std::size_t>(n));
        else if (errno != EINTR)
            break;
    }
    ::close(out[0]);
    return {waitFor(pid), output};
}

std::string WineSession::programErrors() const { return lastLines(logs_ + "/programs.log"); }

void WineSession::linkPorts(const std::string &portDirectory) const
{
    const fs::path devices = fs::path(prefix_) / "dosdevices";
    for (int n = 1; n <= kHighestPort; ++n) {
        const auto name = devices / ("com" + std::to_string(n));
        std::error_code ignored;
        fs::remove(name, ignored);
        fs::create_symlink(fs::path(portDirectory) / ("COM" + std::to_string(n)), name);
    }
}

} // namespace kestlink::test

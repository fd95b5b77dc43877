#include "wine_session.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

extern char **environ;

namespace kestlink::test {

namespace fs = std::filesystem;

namespace {

constexpr int kHighestPort = 12;

std::vector<char *> pointersTo(std::vector<std::string> &strings)
{
    std::vector<char *> pointers;
    for (auto &s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

std::vector<std::string> WineSession::environment() const
{
    const auto &pairs = settings_;
    std::vector<std::string> all;
    for (char **e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        const auto name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const auto &p : pairs)
            replaced = replaced || p.rfind(name, 0) == 0;
        if (!replaced)
            all.push_back(entry);
    }
    all.insert(all.end(), pairs.begin(), pairs.end());
    return all;
}

namespace {

pid_t spawn(std::vector<std::string> argv, std::vector<std::string> env)
{
    auto args = pointersTo(argv);
    auto envp = pointersTo(env);
    pid_t pid = -1;
    const int error = ::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), envp.data());
    if (error != 0)
        throw std::runtime_error(argv[0] + ": " + std::strerror(error));
    return pid;
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

WineSession &WineSession::instance()
{
    static WineSession session;
    return session;
}

WineSession::WineSession()
{
    const char *prefix = std::getenv("KESTLINK_WINE_PREFIX");
    if (prefix == nullptr || *prefix == '\0')
        throw std::runtime_error("KESTLINK_WINE_PREFIX is not set: the build sets it for the Windows tests");
    prefix_ = prefix;
    fs::create_directories(prefix_);
    settings_ = {"WINEPREFIX=" + prefix_, "WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml="};

    server_ = spawn({"wineserver", "--foreground", "--persistent"}, environment());
    // The server needs a moment before it listens; a program started sooner
    // would start a server of its own.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    if (::waitpid(server_, nullptr, WNOHANG) == server_)
        throw std::runtime_error("wineserver stopped at once (is another one running for " + prefix_ + "?)");

    // A fresh prefix takes about 15 s to make and about 700 MB.
    if (!fs::exists(fs::path(prefix_) / "system.reg"))
        run({"wineboot", "--init"});
}

WineSession::~WineSession()
{
    if (server_ < 0)
        return;
    // Stops every Wine program of the prefix, then the server.
    run({"wineserver", "--kill"});
    ::kill(server_, SIGTERM);
    waitFor(server_);
}

void WineSession::run(const std::vector<std::string> &argv) const
{
    const int status = waitFor(spawn(argv, environment()));
    if (status != 0 && argv[0] != "wineserver")
        throw std::runtime_error(argv[0] + " failed with status " + std::to_string(status));
}

pid_t WineSession::start(const std::string &executable, const std::vector<std::string> &args, int input,
                         int output) const
{
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (input >= 0)
        ::posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    if (output >= 0)
        ::posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    const auto folder = fs::absolute(executable).parent_path();
    ::posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

    std::vector<std::string> argv = {"wine", fs::path(executable).filename().string()};
    argv.insert(argv.end(), args.begin(), args.end());
    auto env = environment();
    auto argp = pointersTo(argv);
    auto envp = pointersTo(env);
    pid_t pid = -1;
    const int error = ::posix_spawnp(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
    ::posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw std::runtime_error("wine: " + std::string(std::strerror(error)));
    return pid;
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

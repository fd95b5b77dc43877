// SPDX-License-Identifier: MIT
#include "kestrix_testing/test_files.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <sched.h>
#include <stdexcept>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kestrix::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrix-core-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = name.data();
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

bool exists(const std::string &path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

void makeFifo(const std::string &path)
{
    if (::mkfifo(path.c_str(), 0666) != 0)
        throw std::runtime_error("mkfifo failed: " + path);
}

RefusedPaths makeRefusedPaths(const TempDir &dir)
{
    RefusedPaths refused{dir.file("pipe"), {}};
    makeFifo(refused.fifo);
    makeSocketName(dir.file("socket"));
    refused.cases = {
        {dir.path(), "这是一个文件夹"}, {refused.fifo, "这是一个管道"}, {"/dev/null", "这是一个设备"},
        {"/dev/zero", "这是一个设备"},  {"/dev/full", "这是一个设备"},  {dir.file("socket"), "这是一个套接字"},
    };
    return refused;
}

void makeSocketName(const std::string &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        throw std::runtime_error("socket name too long: " + path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd); // the name stays
    if (!bound)
        throw std::runtime_error("cannot bind a socket to " + path);
}

bool returnsWithin10s(const std::function<void()> &call, const std::string &fifo, const std::function<void()> &release)
{
    std::future<void> done = std::async(std::launch::async, call);
    if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready) {
        done.get();
        return true;
    }
    if (release)
        release();
    // Opened for both reading and writing, the pipe lets a blocked open on
    // either end through; closed again, it ends a blocked read (no writer
    // left) and fails a write (no reader left: EPIPE, not the signal).
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    while (done.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        done.wait_for(std::chrono::milliseconds(100));
        if (fd >= 0)
            ::close(fd);
    }
    std::signal(SIGPIPE, previous);
    done.get();
    return false;
}

namespace {

bool writeProcFile(const char *path, const std::string &text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

// In the child: a user namespace in which this user is root, so that it may
// mount in a mount namespace of its own; changes go to no other namespace.
bool mountSmallFileSystem(const std::string &mountPoint, std::size_t bytes)
{
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 && writeProcFile("/proc/self/setgroups", "deny") &&
           writeProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
           writeProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1") &&
           ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("kestrix-test", mountPoint.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                   ("size=" + std::to_string(bytes)).c_str()) == 0;
}

} // namespace

int inSmallFileSystem(const std::string &mountPoint, std::size_t bytes, const std::function<int()> &body)
{
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        // _exit: the child must not run the parent's destructors (which
        // would remove the caller's folder) nor report as the test program.
        if (!mountSmallFileSystem(mountPoint, bytes))
            ::_exit(kNoSmallFileSystem);
        int result = 1;
        try {
            result = body();
        } catch (...) {
        }
        ::_exit(result);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            throw std::runtime_error("waitpid failed");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

} // namespace kestrix::test

// SPDX-License-Identifier: MIT
#include "kestrix_testing/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace kestrix::testing {

namespace {
[[noreturn]] void fail(const char *what) { throw std::system_error(errno, std::generic_category(), what); }
} // namespace

ChildProcess::ChildProcess(const std::vector<std::string> &args, const ChildSetup &setup)
{
    std::vector<std::string> argv = args;
    std::vector<char *> pointers;
    for (auto &arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);

    int out[2], err[2] = {-1, -1};
    if (::pipe2(out, O_CLOEXEC) != 0)
        fail("pipe2");
    std::string terminal;
    if (setup.onTerminal) {
        err[0] = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (err[0] < 0 || ::grantpt(err[0]) != 0 || ::unlockpt(err[0]) != 0)
            fail("posix_openpt");
        terminal = ::ptsname(err[0]);
    } else if (::pipe2(err, O_CLOEXEC) != 0) {
        fail("pipe2");
    }

    pid_ = ::fork();
    if (pid_ < 0)
        fail("fork");
    if (pid_ == 0) {
        int in = ::open("/dev/null", O_RDONLY);
        if (setup.onTerminal) {
            ::setsid();
            const int slave = ::open(terminal.c_str(), O_RDWR);
            in = slave;
            err[1] = slave;
        }
        ::dup2(in, STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        if (setup.fileSizeLimit) {
            ::signal(SIGXFSZ, SIG_IGN); // stays ignored across exec: writes fail with EFBIG
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = *setup.fileSizeLimit;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    ::close(out[1]);
    if (!setup.onTerminal)
        ::close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
}

ChildProcess::~ChildProcess()
{
    if (!status_) {
        ::kill(pid_, SIGKILL);
        wait();
    }
    if (outFd_ >= 0)
        ::close(outFd_);
    if (errFd_ >= 0)
        ::close(errFd_);
}

bool ChildProcess::pump(int timeoutMs)
{
    if (outFd_ < 0 && errFd_ < 0)
        return false;
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (::poll(fds, 2, timeoutMs) <= 0)
        return true;
    const std::pair<int *, std::string *> streams[2] = {{&outFd_, &out_}, {&errFd_, &err_}};
    for (int i = 0; i < 2; ++i) {
        if (fds[i].revents == 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(*streams[i].first, buffer, sizeof buffer);
        if (n > 0) {
            streams[i].second->append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            // A terminal's master side reads EIO once the last program on
            // it has gone.
            ::close(*streams[i].first);
            *streams[i].first = -1;
        }
    }
    return true;
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (true) {
        if (const auto end = out_.find('\n', lineStart_); end != std::string::npos) {
            auto line = out_.substr(lineStart_, end - lineStart_);
            lineStart_ = end + 1;
            return line;
        }
        if (outFd_ < 0 || std::chrono::steady_clock::now() >= until)
            return std::nullopt;
        pump(20);
    }
}

void ChildProcess::type(const std::string &text)
{
    if (::write(errFd_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        fail("write to the terminal");
}

bool ChildProcess::waitForError(const std::string &text, std::chrono::milliseconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (err_.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= until || !pump(20))
            return false;
    }
    return true;
}

void ChildProcess::closeOutput()
{
    ::close(outFd_);
    outFd_ = -1;
}

void ChildProcess::signal(int number) { ::kill(pid_, number); }

int ChildProcess::wait(std::chrono::milliseconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!status_) {
        pump(50);
        int raw = 0;
        const pid_t done = ::waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        } else if (std::chrono::steady_clock::now() >= until) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &raw, 0);
            status_ = 128 + SIGKILL;
        }
    }
    // What the pipes still hold; a terminal is read until it is empty.
    while (pump(50) && (outFd_ >= 0 || errFd_ >= 0)) {
        pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
        if (::poll(fds, 2, 0) <= 0)
            break;
    }
    return *status_;
}

} // namespace kestrix::testing

// SPDX-License-Identifier: MIT
#include "kestrix_testing/wine/probe_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <thread>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "kestrix_testing/wine/wine_session.h"

namespace kestlink::test {

ProbeProcess::ProbeProcess(const std::string &executable)
{
    if (!std::filesystem::exists(executable))
        throw std::runtime_error(executable + " does not exist");
    // Now and then Wine fails to start a program at all ("Application could
    // not be started"), the program never running; that is Wine's, not the
    // DLL's, so it is given two more tries.
    for (int attempt = 1;; ++attempt) {
        launch(executable);
        try {
            greeting_ = receive();
        } catch (const std::runtime_error &error) {
            greeting_ = error.what();
        }
        if (greeting_.rfind("ready", 0) == 0)
            return;
        stop();
        if (attempt == 3)
            throw std::runtime_error(executable + " under Wine: " + greeting_ + "; Wine wrote" +
                                     WineSession::instance().programErrors());
        std::fprintf(stderr, "%s under Wine did not start (%s); trying again\n", executable.c_str(), greeting_.c_str());
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
}

void ProbeProcess::launch(const std::string &executable)
{
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe2: ") + std::strerror(errno));
    try {
        pid_ = WineSession::instance().start(executable, {}, in[0], out[1]);
    } catch (...) {
        for (int fd : {in[0], in[1], out[0], out[1]})
            ::close(fd);
        throw;
    }
    ::close(in[0]);
    ::close(out[1]);
    toProbe_ = in[1];
    fromProbe_ = out[0];
    pending_.clear();
}

ProbeProcess::~ProbeProcess() { stop(); }

void ProbeProcess::stop()
{
    if (toProbe_ >= 0) {
        const char quit[] = "quit\n";
        (void)!::write(toProbe_, quit, sizeof quit - 1);
        ::close(toProbe_);
        toProbe_ = -1;
    }
    // Give it a moment to go by itself; a hung one is killed.
    for (int i = 0; i < 100 && pid_ > 0; ++i) {
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        ::usleep(50'000);
    }
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    if (fromProbe_ >= 0) {
        ::close(fromProbe_);
        fromProbe_ = -1;
    }
}

void ProbeProcess::send(const std::string &line)
{
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(toProbe_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error("the probe stopped reading (" + std::string(std::strerror(errno)) + ")");
        done += static_cast<std::size_t>(n);
    }
}

std::string ProbeProcess::receive(std::chrono::seconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (true) {
        if (const auto end = pending_.find('\n'); end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            throw std::runtime_error("the probe gave no answer within " + std::to_string(limit.count()) + " s");
        pollfd p{fromProbe_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(fromProbe_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error("the probe ended" + (pending_.empty() ? std::string() : ": " + pending_));
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string ProbeProcess::call(const std::string &line)
{
    send(line);
    return receive();
}

} // namespace kestlink::test

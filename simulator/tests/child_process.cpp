// SPDX-License-Identifier: MIT
#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace kestsim::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
  int out[2];
  int err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe2");
  }
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_ = fork();
  if (pid_ < 0) throw std::system_error(errno, std::generic_category(), "fork");
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    execv(args[0], args.data());
    _exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  outFd_ = out[0];
  errFd_ = err[0];
}

ChildProcess::~ChildProcess() {
  if (!status_) {
    ::kill(pid_, SIGKILL);
    wait();
  }
  if (outFd_ >= 0) ::close(outFd_);
  if (errFd_ >= 0) ::close(errFd_);
}

bool ChildProcess::pump(int timeoutMs) {
  pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
  if (outFd_ < 0 && errFd_ < 0) return false;
  if (::poll(fds, 2, timeoutMs) <= 0) return true;
  const std::pair<int*, std::string*> streams[2] = {{&outFd_, &stdout_}, {&errFd_, &stderr_}};
  for (int i = 0; i < 2; ++i) {
    if (fds[i].revents == 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(*streams[i].first, buffer, sizeof buffer);
    if (n > 0) {
      streams[i].second->append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      ::close(*streams[i].first);
      *streams[i].first = -1;
    }
  }
  return true;
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (true) {
    if (const auto end = stdout_.find('\n', lineStart_); end != std::string::npos) {
      auto line = stdout_.substr(lineStart_, end - lineStart_);
      lineStart_ = end + 1;
      return line;
    }
    if (outFd_ < 0 || std::chrono::steady_clock::now() >= until) return std::nullopt;
    pump(20);
  }
}

void ChildProcess::signal(int number) { ::kill(pid_, number); }

int ChildProcess::wait(std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (pump(100)) {
    if (std::chrono::steady_clock::now() >= until) {
      ::kill(pid_, SIGKILL);
      break;
    }
  }
  if (!status_) {
    int raw = 0;
    while (waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
    }
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  }
  return *status_;
}

}  // namespace kestsim::test

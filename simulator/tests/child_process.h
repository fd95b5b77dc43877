// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kestsim::test {

// A program run by a test with its standard output and error captured.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv);
  ~ChildProcess();  // kills it if still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line of standard output, without its newline.
  std::optional<std::string> readLine(std::chrono::milliseconds limit);
  void signal(int number);
  // Collects the rest of both outputs and returns the exit status, or 128
  // plus the signal that ended it. A child still running after `limit` is
  // killed, so a broken program cannot hang the test run.
  int wait(std::chrono::milliseconds limit = std::chrono::seconds(20));

  const std::string& output() const { return stdout_; }
  const std::string& errors() const { return stderr_; }

 private:
  bool pump(int timeoutMs);  // false when both outputs are closed

  pid_t pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
  std::string stdout_;
  std::string stderr_;
  std::size_t lineStart_ = 0;
  std::optional<int> status_;
};

}  // namespace kestsim::test

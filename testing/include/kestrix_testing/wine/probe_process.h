// SPDX-License-Identifier: MIT
// kestlink_probe.exe under Wine, talked to over its standard input and
// output: one call a line, one answer a line (see probe/kestlink_probe.c).
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>

namespace kestlink::test {

class ProbeProcess {
public:
    // Starts the probe in the folder it lies in, beside its DLL, and waits for
    // it to say it is ready. Throws std::runtime_error when it does not.
    explicit ProbeProcess(const std::string &executable);
    ~ProbeProcess();
    ProbeProcess(const ProbeProcess &) = delete;
    ProbeProcess &operator=(const ProbeProcess &) = delete;

    // Sends one line and returns the answer. No call takes a minute, so a
    // probe that says nothing for that long has hung: that throws.
    std::string call(const std::string &line);

    // For many calls in a row: send them all, then collect the answers.
    void send(const std::string &line);
    std::string receive(std::chrono::seconds limit = std::chrono::seconds(60));

    const std::string &greeting() const { return greeting_; }

private:
    void launch(const std::string &executable);
    void stop();

    pid_t pid_ = -1;
    int toProbe_ = -1;
    int fromProbe_ = -1;
    std::string pending_;
    std::string greeting_;
};

} // namespace kestlink::test

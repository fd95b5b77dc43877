// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "kestsim/wire_pace.h"

namespace kestsim {

class VirtualReader;
struct PseudoTerminal;

// A pseudo-terminal whose far end (the slave, e.g. /dev/pts/7) a host opens
// as if it were the reader's serial port. A thread of its own reads the
// host's requests, lets the reader answer them and writes the replies at the
// pace of the line.
class PtyPort {
public:
    // Called on the port's thread with the new terminal's path after a
    // hang-up, once the port is listening again.
    using ReopenHandler = std::function<void(const std::string &slavePath)>;

    // How long a reader that hung up stays away before it is back on a new
    // terminal.
    static constexpr std::chrono::milliseconds kDefaultHangUpAbsence{50};

    // The reader must outlive the port. Throws std::system_error when no
    // pseudo-terminal can be had.
    PtyPort(VirtualReader &reader, WirePace pace, ReopenHandler onReopen = {},
            std::chrono::milliseconds hangUpAbsence = kDefaultHangUpAbsence);
    ~PtyPort();

    PtyPort(const PtyPort &) = delete;
    PtyPort &operator=(const PtyPort &) = delete;

    // The path a host opens. Changes after a hang-up.
    std::string slavePath() const;
    // How many times the reader has hung up.
    unsigned hangUps() const { return hangUps_.load(); }

private:
    void run();
    // Drops the line, waits, and comes back on a new terminal. False when the
    // port was stopped meanwhile or no terminal could be had.
    bool hangUpAndReturn();
    // Sleeps, or returns false early when the port is being stopped.
    bool pause(std::chrono::milliseconds time);

    VirtualReader &reader_;
    WirePace pace_;
    ReopenHandler onReopen_;
    std::chrono::milliseconds hangUpAbsence_;
    std::unique_ptr<PseudoTerminal> terminal_; // touched by the port's thread only
    mutable std::mutex pathMutex_;
    std::string slavePath_;
    int wakeRead_ = -1; // a byte here tells the thread to stop
    int wakeWrite_ = -1;
    std::atomic<unsigned> hangUps_{0};
    std::thread thread_;
};

} // namespace kestsim

// SPDX-License-Identifier: MIT
// When a serial read must end, on a monotonic clock, from the driver-style
// read time-outs: what a Windows driver does by itself, done for the POSIX
// backend, which reads with poll.
#pragma once

#include <chrono>
#include <cstddef>

#include "serial_channel.h"

namespace kestlink {

class ReadDeadline {
public:
    using Clock = std::chrono::steady_clock;

    ReadDeadline(const Timeouts &timeouts, std::size_t requested, Clock::time_point start);

    // Call whenever bytes arrive; the gap time-out restarts from then.
    void bytesArrived(Clock::time_point when);

    // Milliseconds the read may still wait for its next bytes, rounded up;
    // 0 when the read must end now. -1 when no time-out is set at all.
    int remainingMs(Clock::time_point now) const;

private:
    bool hasTotal_ = false;
    Clock::time_point totalEnd_{};
    std::chrono::milliseconds interval_{0};
    bool anyArrived_ = false;
    Clock::time_point lastArrival_{};
};

} // namespace kestlink

// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>

namespace kestsim {

// The time bytes take on a serial line: 10 bits each (start, 8 data, stop).
// A baud rate of 0 means no pacing at all.
class WirePace {
public:
    static constexpr unsigned kDefaultBaud = 115200;

    explicit WirePace(unsigned baud = kDefaultBaud) : baud_(baud) {}

    unsigned baud() const { return baud_; }
    bool paced() const { return baud_ != 0; }

    // How long it takes to send this many bytes.
    std::chrono::nanoseconds durationOf(std::size_t byteCount) const;

    // How many of `total` bytes are fully on the wire `elapsed` after the
    // first one started.
    std::size_t bytesSentBy(std::chrono::nanoseconds elapsed, std::size_t total) const;

private:
    unsigned baud_;
};

} // namespace kestsim

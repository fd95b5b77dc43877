// SPDX-License-Identifier: MIT
// A rough forecast of the soak's length, from the library's fixed waits, its
// read time-outs and the reader's line speed, so that the mix of commands can
// be kept to about ten minutes for 10,000 calls.
#pragma once

#include <chrono>
#include <cstddef>

#include "soak_commands.h"
#include "faults.h"

namespace soak {

// After a hang-up the reader is away 50 ms; the soak gives it this long
// before it connects again.
inline constexpr std::chrono::milliseconds kHangUpPause{150};

// Expected milliseconds for one call, with the reconnect after a hang-up.
double expectedCostMs(Command command, Fault fault);
// For `calls` calls of which the first `sweepCalls` take every command with
// every fault once and the rest follow the mix.
double estimateSeconds(std::size_t calls, std::size_t sweepCalls);

} // namespace soak

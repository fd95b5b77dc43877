// SPDX-License-Identifier: MIT
// Ctrl-C (and a polite kill) during a download: the signal only asks the
// download to stop; the record in hand ends, and what came is kept.
#pragma once

#include <atomic>

namespace kestlink_cli {

// While it lives, SIGINT and SIGTERM set stop() instead of ending the
// program; what they did before comes back afterwards. Guards may nest; once
// set, stop() stays set for the rest of the run.
class StopOnInterrupt {
public:
    StopOnInterrupt();
    ~StopOnInterrupt();
    StopOnInterrupt(const StopOnInterrupt &) = delete;
    StopOnInterrupt &operator=(const StopOnInterrupt &) = delete;

    static std::atomic<bool> &stop();
    // The signal that asked, 0 for none.
    static int signalNumber();
};

} // namespace kestlink_cli

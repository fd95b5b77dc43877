// SPDX-License-Identifier: MIT
// Everything the soak counts while it runs.
#pragma once

#include <array>
#include <string>

#include "soak_commands.h"
#include "faults.h"

namespace soak {

struct Tally {
    // Calls by command and by the fault put on them.
    std::array<std::array<unsigned long, kFaultCount>, kCommandCount> calls{};
    unsigned long sweepCalls = 0;
    unsigned long successes = 0;

    unsigned long wrongVerdicts = 0;
    unsigned long wrongData = 0;       // success, but not the reader's bytes
    unsigned long buffersTouched = 0;  // a failed call wrote to the caller's buffer
    unsigned long outOfBounds = 0;     // a call wrote next to the caller's buffer
    unsigned long wireMismatches = 0;  // not exactly one request reached the reader
    unsigned long stateMismatches = 0; // the reader's state is not what the calls made it
    unsigned long overLong = 0;        // calls and reconnects past their limit
    double worstExcessMs = -1e9;       // the longest call, less its wait and read time-out
    std::string worstCall;

    unsigned long hangUps = 0;
    unsigned long recoveries = 0;       // KX_Connect gave 1 at the first try after a hang-up
    unsigned long failedReconnects = 0; // KX_Connect gave 0 after a hang-up
    unsigned long lossesUnsaid = 0;     // after a hang-up KX_GetLinkState did not say lost
    unsigned long reseeds = 0;          // new records after a "delete all" emptied the reader

    unsigned long totalCalls() const;
    unsigned long byCommand(Command command) const;
    unsigned long byFault(Fault fault) const;
    // No wrong verdict, data, buffer, wire traffic, state or time, and every
    // hang-up recovered.
    bool clean() const;
};

} // namespace soak

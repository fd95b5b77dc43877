// SPDX-License-Identifier: MIT
// Makes one library call for a step, with sentinel-filled output buffers, and
// checks what the call left in them.
#pragma once

#include <chrono>

#include "reader_model.h"
#include "step.h"

namespace soak {

struct Outcome {
    int result = -1;
    std::chrono::steady_clock::duration took{};
    bool guardsIntact = true; // nothing written outside the caller's buffers
    bool untouchedOnFailure = true;
    bool outputMatches = true; // on success, the reader's data arrived intact
};

Outcome perform(const Step &step, const Expectation &expected);

} // namespace soak

// SPDX-License-Identifier: MIT
// The rules that make the virtual reader put one fault on one reply, with the
// fault's timing drawn at random from the range in which it keeps its verdict:
// a delay that still lets the reply come within the read; a stray byte or
// two up to 15 ms after a reply that is complete just before the read, so
// that they often land in front of the next reply; noise before the reply; a
// late reply or the rest of a split one up to 150 ms after the read gave up,
// into the next call. Whatever a fault leaves on the line, the call after it
// is judged by its own fault alone.
#pragma once

#include <vector>

#include "soak_commands.h"
#include "faults.h"
#include "kestsim/fault.h"
#include "mix.h"

namespace soak {

std::vector<kestsim::FaultRule> faultRules(Fault fault, const CommandInfo &command, Rng &rng);

} // namespace soak

// SPDX-License-Identifier: MIT
// How often each command and each fault comes up. Reading a record costs
// 30 ms, every other command 200 ms to a second, so reads make up most of the
// calls and the slow commands take most of the faults (a fault adds at most
// 138 ms to their wait, while it can quintuple a read's).
#pragma once

#include <random>

#include "soak_commands.h"
#include "faults.h"

namespace soak {

using Rng = std::mt19937_64;

double commandShare(Command command);
double faultShare(Command command, Fault fault);

Command pickCommand(Rng &rng);
Fault pickFault(Command command, Rng &rng);

} // namespace soak

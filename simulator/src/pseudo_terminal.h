// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "unique_fd.h"

namespace kestsim {

// A freshly opened pseudo-terminal pair. The slave is set raw and kept open
// here but never read: while it stays open, the master does not see a
// hang-up each time a host closes its end, and the settings survive
// between hosts.
struct PseudoTerminal {
    UniqueFd master; // non-blocking
    UniqueFd slaveHold;
    std::string slavePath;
};

// Throws std::system_error.
PseudoTerminal openPseudoTerminal();

} // namespace kestsim

// SPDX-License-Identifier: MIT
// One call of the soak: the command, the fault the reader puts on its reply,
// and the arguments.
#pragma once

#include <array>
#include <cstdint>

#include "soak_commands.h"
#include "faults.h"
#include "kestlink.h"
#include "kestsim/fault.h"

#include <vector>

namespace soak {

struct Step {
    Command command = Command::ReadRecord;
    Fault fault;
    std::vector<kestsim::FaultRule> rules; // what the reader is told, with the fault's timing
    std::uint16_t number = 0;              // record or comparison entry
    std::array<std::uint8_t, 20> bytes{};  // card number (16), domain (20) or key (15)
    DeviceTime time{};
    std::int32_t unused = 0; // set-domain's second argument
};

} // namespace soak

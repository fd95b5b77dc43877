// SPDX-License-Identifier: MIT
// The faults the virtual reader can put on one reply, and "none".
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "kestsim/fault.h"

namespace soak {

using Fault = std::optional<kestsim::FaultKind>; // nothing: a healthy reply

inline constexpr std::size_t kFaultCount = 13; // none and the twelve kinds

// None first, then every kind the reader can inject.
std::span<const Fault> allFaults();
std::size_t indexOf(Fault fault);
std::string_view faultName(Fault fault);

// The request never reaches the reader's logic, so its state is unchanged.
bool skipsCommand(Fault fault);

} // namespace soak

// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "kestsim/fault.h"

namespace kestsim {

// Command-line names: no-reply, short, wrong-length, bad-checksum,
// bad-status, trailing-byte, late, split, hang-up, delay, stray, noise.
std::string_view faultKindName(FaultKind kind);
std::optional<FaultKind> faultKindFromName(std::string_view name);

// The longest time a rule may give, and how many bytes at most it may send.
inline constexpr std::chrono::milliseconds kMaxFaultTime{60000};
inline constexpr std::size_t kMaxFaultBytes = 16;

// Reads KIND[=MS][/HEX][:CMD][@N][xTIMES]. MS is the kind's time in whole
// milliseconds (late and split: 1 to 60000; delay, stray and noise: 0 to
// 60000; delay needs one), HEX the bytes stray and noise send (1 to 16, two
// hex digits each), CMD a hex code ("0x01") or a command name
// ("read-record"). Throws std::invalid_argument with a reason.
FaultRule parseFaultRule(std::string_view text);

// The same notation back, for status messages; time and bytes only when set.
std::string formatFaultRule(const FaultRule &rule);

} // namespace kestsim

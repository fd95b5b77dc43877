#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "kestsim/fault.h"

namespace kestsim {

// Command-line names: no-reply, short, wrong-length, bad-checksum,
// bad-status, trailing-byte, late, split, hang-up.
std::string_view faultKindName(FaultKind kind);
std::optional<FaultKind> faultKindFromName(std::string_view name);

// Reads KIND[:CMD][@N][xTIMES], CMD being a hex code ("0x01") or a command
// name ("read-record"). Throws std::invalid_argument with a reason.
FaultRule parseFaultRule(std::string_view text);

// The same notation back, for status messages.
std::string formatFaultRule(const FaultRule& rule);

}  // namespace kestsim

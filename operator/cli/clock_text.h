// SPDX-License-Identifier: MIT
// The time set-clock gives the reader: "YYYY-MM-DD HH:MM:SS", or now.
#pragma once

#include <optional>
#include <string_view>

#include "toolkit.h"

namespace kestlink_cli {

// A real date and time of the years 2000 to 2099 (the reader keeps two
// digits under the century 20), written exactly so; nothing else.
std::optional<kestrix::LocalTime> parseClockText(std::string_view text);

// This PC's local time now.
kestrix::LocalTime localTimeNow();

} // namespace kestlink_cli

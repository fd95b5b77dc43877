// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "kestsim/reader_state.h"

namespace kestsim {

// What a healthy reader does with one request frame: updates the state and
// returns the reply bytes. A malformed frame gets no reply (nullopt) and
// leaves the state alone. No faults, no timing.
std::optional<std::vector<std::uint8_t>> answerRequest(ReaderState &state, std::span<const std::uint8_t> frame);

} // namespace kestsim

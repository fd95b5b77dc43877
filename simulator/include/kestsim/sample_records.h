// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <vector>

#include "kestsim/record.h"

namespace kestsim {

inline constexpr std::size_t kMaxRecords = 65535; // the count is 16 bits on the wire

// The same records for the same count every time: card numbers like
// "999 012345678901", mostly distinct with an occasional repeat read, times
// that move forward through valid dates, flags cycling 0, 1, 2, 3.
// Throws std::invalid_argument for a count above kMaxRecords.
std::vector<Record> sampleRecords(std::size_t count);

} // namespace kestsim

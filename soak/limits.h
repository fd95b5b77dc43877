// SPDX-License-Identifier: MIT
// The pass marks of the soak.
#pragma once

#include <chrono>
#include <cstddef>

#include "soak_commands.h"

namespace soak {

// A call may last its fixed wait plus the read time-out plus this margin.
// The margin is generous on purpose: on a busy two-core machine the process
// can be kept off the processor for a while without the library being wrong.
inline constexpr std::chrono::milliseconds kCallMargin{500};

inline std::chrono::milliseconds callLimit(std::chrono::milliseconds wait) { return wait + kReadTimeout + kCallMargin; }

// Heap growth tolerated between the two quiet points, for allocator noise:
// containers in the virtual reader's thread and in the soak itself that grow
// now and then and keep their capacity (a few hundred bytes were seen). The
// smallest heap block is 32 bytes, so a block lost on every call, or on every
// hang-up of a full run (about 190), exceeds it.
inline constexpr std::size_t kHeapTolerance = 4 * 1024;

} // namespace soak

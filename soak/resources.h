// SPDX-License-Identifier: MIT
// What the process holds: open file descriptors and memory. Compared at
// quiet points (no call running, the reader connected and back in the same
// state), the difference is what the calls in between kept.
#pragma once

#include <cstddef>

namespace soak {

struct Resources {
    long openFds = 0;
    std::size_t heapInUse = 0; // bytes handed out by malloc and not freed
    std::size_t residentBytes = 0;
};

Resources measureResources();

} // namespace soak

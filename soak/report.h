// SPDX-License-Identifier: MIT
// The soak's closing figures.
#pragma once

#include <iosfwd>

#include "resources.h"
#include "tally.h"

namespace soak {

struct Leaks {
    long fdGrowth = 0;
    long long heapGrowth = 0;
    long long residentGrowth = 0; // shown, not judged: the allocator keeps freed pages
    bool clean() const;
};

Leaks leaksBetween(const Resources &before, const Resources &after);

// Prints the figures; true when every one is clean.
bool printReport(std::ostream &out, const Tally &tally, const Resources &before, const Resources &after,
                 double seconds);

} // namespace soak

// SPDX-License-Identifier: MIT
// Times a download record by record through one build of the library.
#pragma once

#include <cstddef>
#include <vector>

#include "kestsim/record.h"
#include "kestrix_testing/link_under_test.h"

namespace kestbench {

struct ReadTimes {
    std::size_t reads = 0;
    std::size_t failed = 0; // KX_ReadData returned 0
    std::size_t wrong = 0;  // returned 1 with bytes other than the reader's record
    double totalMs = 0;     // the whole loop, wall clock
    double meanMs = 0;      // per call, as timed in the library's own process
    double medianMs = 0;
    double maxMs = 0;
};

// Reads records 0 to expected.size() - 1 in order, as the program's "read all"
// does, over the connection already open, and checks each against the
// reader's copy so that a fast but wrong read cannot pass for a good figure.
ReadTimes timeReads(kestlink::test::LinkUnderTest &link, const std::vector<kestsim::Record> &expected);

} // namespace kestbench

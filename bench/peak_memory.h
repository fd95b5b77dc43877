// SPDX-License-Identifier: MIT
// The most resident memory a stretch of code adds to this process, on Linux.
//
// The kernel keeps a high-water mark of the resident set (VmHWM in
// /proc/self/status), and writing "5" to /proc/self/clear_refs sets it back to
// the present resident size. So: reset the mark and note the resident size,
// run the code, read the mark. The difference is the most the code held at
// once on top of what was already there: every page it touched, also pages it
// freed before the end (a vector's old buffer after it grew, the copies a step
// makes). Measured in a fresh process per action, so that memory an earlier
// action freed, which the allocator keeps and hands out again without the
// resident size growing, cannot hide growth.
#pragma once

#include <string>

namespace kestbench {

struct MemoryGrowth {
    long peakKiB = 0;     // high-water mark minus the resident size at the start
    long residentKiB = 0; // resident size at the end minus at the start
};

class PeakMemoryWatch {
public:
    // Resets the mark. False, with the reason, when this system does not
    // allow it; the figures would then be meaningless.
    bool start(std::string &why);
    MemoryGrowth growth() const;

private:
    long startKiB_ = 0;
};

} // namespace kestbench

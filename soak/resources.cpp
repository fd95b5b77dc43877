// SPDX-License-Identifier: MIT
#include "resources.h"

#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <unistd.h>

namespace soak {

namespace {

long countOpenFds()
{
    // The directory listing itself holds one descriptor, the same every time.
    long count = 0;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        ++count;
    return count;
}

std::size_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

} // namespace

Resources measureResources()
{
    const struct mallinfo2 info = ::mallinfo2(); // summed over every arena
    Resources r;
    r.openFds = countOpenFds();
    r.heapInUse = info.uordblks + info.hblkhd;
    r.residentBytes = residentBytes();
    return r;
}

} // namespace soak

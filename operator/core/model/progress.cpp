// SPDX-License-Identifier: MIT
#include "progress.h"

namespace kestrix {

int progressPosition(std::size_t i, std::size_t n)
{
    if (n == 0)
        return 0;
    return static_cast<int>(static_cast<double>(i) * 100.0 / static_cast<double>(n));
}

} // namespace kestrix

// SPDX-License-Identifier: MIT
#include "progress.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(ProgressPosition, TruncatesThePercentage)
{
    const struct {
        std::size_t i, n;
        int position;
    } cases[] = {
        {0, 3, 0},
        {1, 3, 33},
        {2, 3, 66},
        {3, 3, 100},
        // Long lists advance by less than one step per item.
        {1, 250, 0},
        {3, 250, 1},
        {249, 250, 99},
        {250, 250, 100},
        {65534, 65535, 99},
        {0, 0, 0},
        {5, 0, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(progressPosition(c.i, c.n), c.position) << c.i << " of " << c.n;
}

} // namespace
} // namespace kestrix

// SPDX-License-Identifier: MIT
// The three read time-outs as a serial driver applies them.
#include <gtest/gtest.h>

#include "read_deadline.h"

using kestlink::ReadDeadline;
using kestlink::Timeouts;
using namespace std::chrono_literals;

namespace {
Timeouts readerTimeouts()
{
    Timeouts t;
    t.readIntervalMs = 20;
    t.readTotalMultiplierMs = 2;
    t.readTotalConstantMs = 10;
    return t;
}
} // namespace

TEST(ReadDeadline, TotalIsConstantPlusPerByte)
{
    const auto start = ReadDeadline::Clock::now();
    ReadDeadline deadline(readerTimeouts(), 64, start);
    EXPECT_EQ(deadline.remainingMs(start), 138);
    EXPECT_EQ(deadline.remainingMs(start + 100ms), 38);
    EXPECT_EQ(deadline.remainingMs(start + 138ms), 0);
    EXPECT_EQ(deadline.remainingMs(start + 500ms), 0);
}

TEST(ReadDeadline, GapStartsWithTheFirstByte)
{
    const auto start = ReadDeadline::Clock::now();
    ReadDeadline deadline(readerTimeouts(), 64, start);
    // Before any byte only the total applies.
    EXPECT_EQ(deadline.remainingMs(start + 30ms), 108);
    deadline.bytesArrived(start + 30ms);
    EXPECT_EQ(deadline.remainingMs(start + 30ms), 20);
    EXPECT_EQ(deadline.remainingMs(start + 45ms), 5);
    EXPECT_EQ(deadline.remainingMs(start + 50ms), 0);
    // The total still caps a trickle of bytes.
    deadline.bytesArrived(start + 130ms);
    EXPECT_EQ(deadline.remainingMs(start + 130ms), 8);
}

TEST(ReadDeadline, NoTimeoutsMeansWaitForEver)
{
    const auto start = ReadDeadline::Clock::now();
    ReadDeadline deadline(Timeouts{}, 64, start);
    EXPECT_EQ(deadline.remainingMs(start + 10s), -1);
}

// SPDX-License-Identifier: MIT
#include "read_deadline.h"

#include <algorithm>

namespace kestlink {

using std::chrono::milliseconds;

ReadDeadline::ReadDeadline(const Timeouts &timeouts, std::size_t requested, Clock::time_point start)
    : interval_(timeouts.readIntervalMs)
{
    const auto total = milliseconds(timeouts.readTotalConstantMs) +
                       milliseconds(timeouts.readTotalMultiplierMs) * static_cast<long long>(requested);
    hasTotal_ = total.count() > 0;
    totalEnd_ = start + total;
}

void ReadDeadline::bytesArrived(Clock::time_point when)
{
    anyArrived_ = true;
    lastArrival_ = when;
}

static int ceilMs(ReadDeadline::Clock::duration d)
{
    if (d <= ReadDeadline::Clock::duration::zero())
        return 0;
    const auto ms = std::chrono::ceil<milliseconds>(d).count();
    return static_cast<int>(std::min<long long>(ms, 1000000));
}

int ReadDeadline::remainingMs(Clock::time_point now) const
{
    // The gap time-out starts with the first byte, as a serial driver's does.
    const bool hasGap = anyArrived_ && interval_.count() > 0;
    if (!hasTotal_ && !hasGap)
        return -1;
    int left = hasTotal_ ? ceilMs(totalEnd_ - now) : 1000000;
    if (hasGap)
        left = std::min(left, ceilMs(lastArrival_ + interval_ - now));
    return left;
}

} // namespace kestlink

// SPDX-License-Identifier: MIT
#include "line_settle.h"

#include <algorithm>
#include <thread>

namespace kestlink {

void LineSettle::readEnded(bool wholeReply, Clock::time_point when)
{
    owed_ = !wholeReply;
    until_ = when + kSettleTime;
    lastRead_ = when;
}

void LineSettle::waitBeforeRequest()
{
    if (owed_)
        std::this_thread::sleep_until(until_);
    owed_ = false;
}

void LineSettle::waitBeforeConnect()
{
    std::this_thread::sleep_until(owed_ ? std::max(until_, lastRead_ + kTrailTime) : lastRead_ + kTrailTime);
    owed_ = false;
}

} // namespace kestlink

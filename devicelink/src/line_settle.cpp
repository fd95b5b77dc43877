#include "line_settle.h"

#include <thread>

namespace kestlink {

void LineSettle::readEnded(bool wholeReply, Clock::time_point when)
{
    owed_ = !wholeReply;
    until_ = when + kSettleTime;
}

void LineSettle::waitBeforeRequest()
{
    if (owed_)
        std::this_thread::sleep_until(until_);
    owed_ = false;
}

} // namespace kestlink

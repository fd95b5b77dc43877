// A reader that missed its moment may still be sending: a reply that comes
// after the read gave up on it, or the rest of one the read cut off at a
// pause. What it sends must not land in front of the next reply, where it
// would be taken for it. So after a read that did not get a whole reply, the
// next transaction gives the line until kSettleTime after that read before
// its purge clears it. A read that got its whole reply costs nothing, and a
// caller that pauses longer than kSettleTime between calls waits for nothing.
#pragma once

#include <chrono>

namespace kestlink {

class LineSettle {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kSettleTime{200};

    // A read ended; wholeReply says whether it held one whole reply.
    void readEnded(bool wholeReply, Clock::time_point when);
    // Before a request is sent: waits until the line has had its time.
    void waitBeforeRequest();

private:
    bool owed_ = false;
    Clock::time_point until_{};
};

} // namespace kestlink

// SPDX-License-Identifier: MIT
// A reader that missed its moment may still be sending: a reply that comes
// after the read gave up on it, or the rest of one the read cut off at a
// pause. What it sends must not land in front of the next reply, where it
// would be taken for it. So after a read that did not get a whole reply, the
// next transaction gives the line until kSettleTime after that read before
// its purge clears it. A read that got its whole reply costs nothing, and a
// caller that pauses longer than kSettleTime between calls waits for nothing.
//
// A connect reads its handshake reply from the first byte on. So that a byte
// trailing the last reply (a line end, a pad byte, what a USB adapter held
// back) cannot come in front of it, a connect also waits until the line has
// been quiet for kTrailTime after the last read, which a read's own silence
// time-out would have waited anyway.
#pragma once

#include <chrono>

namespace kestlink {

class LineSettle {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kSettleTime{200};
    static constexpr std::chrono::milliseconds kTrailTime{20};

    // A read ended; wholeReply says whether it held one whole reply.
    void readEnded(bool wholeReply, Clock::time_point when);
    // Before a request is sent: waits until the line has had its time.
    void waitBeforeRequest();
    // Before a connect opens its first port: the same, and at least
    // kTrailTime after the last read.
    void waitBeforeConnect();

private:
    bool owed_ = false;
    Clock::time_point until_{};
    Clock::time_point lastRead_{};
};

} // namespace kestlink

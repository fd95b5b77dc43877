// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>

#include "kestsim/delivery.h"
#include "kestsim/wire_pace.h"

namespace kestsim {

// The replies waiting to go out, each byte given its moment on a monotonic
// clock so that a late wake-up is made good by sending the overdue bytes
// together, without drift building up over a long reply.
class ReplyQueue {
public:
    using Clock = std::chrono::steady_clock;

    explicit ReplyQueue(WirePace pace) : pace_(pace) {}

    // Queued behind everything still waiting: whatever a reader holds back
    // goes out in the end, and what it owes later waits for it.
    void push(const Delivery &delivery, Clock::time_point arrived);
    void clear() { pieces_.clear(); }
    bool empty() const { return pieces_.empty(); }

    // The bytes whose time has come and that have not been written yet.
    std::span<const std::uint8_t> due(Clock::time_point now);
    // `count` bytes of what due() returned went out at `now`.
    void written(std::size_t count, Clock::time_point now);
    // When the next byte falls due; nothing when the queue is empty.
    std::optional<Clock::time_point> nextDue();

private:
    struct Piece {
        Delivery::Piece content;
        Clock::time_point arrived;
        std::optional<Clock::time_point> start;
        std::size_t written = 0;
    };
    Piece &head();

    WirePace pace_;
    std::deque<Piece> pieces_;
    // When the previous piece was fully out: its scheduled end, or the moment
    // of its last write if that was later, so a pause is never cut short.
    Clock::time_point lastEnd_{};
};

} // namespace kestsim

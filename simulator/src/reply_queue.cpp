// SPDX-License-Identifier: MIT
#include "reply_queue.h"

#include <algorithm>

namespace kestsim {

void ReplyQueue::push(const Delivery &delivery, Clock::time_point arrived)
{
    for (const auto &piece : delivery.pieces) {
        if (!piece.bytes.empty()) {
            pieces_.push_back({piece, arrived, {}, 0});
        }
    }
}

ReplyQueue::Piece &ReplyQueue::head()
{
    auto &piece = pieces_.front();
    if (!piece.start) {
        piece.start = std::max(piece.arrived + piece.content.notBefore, lastEnd_ + piece.content.pauseBefore);
    }
    return piece;
}

std::span<const std::uint8_t> ReplyQueue::due(Clock::time_point now)
{
    if (pieces_.empty())
        return {};
    auto &piece = head();
    const auto &bytes = piece.content.bytes;
    const auto sent = pace_.bytesSentBy(now - *piece.start, bytes.size());
    if (sent <= piece.written)
        return {};
    return std::span(bytes).subspan(piece.written, sent - piece.written);
}

void ReplyQueue::written(std::size_t count, Clock::time_point now)
{
    if (pieces_.empty())
        return;
    auto &piece = head();
    piece.written += count;
    if (piece.written >= piece.content.bytes.size()) {
        const auto scheduledEnd =
            *piece.start + std::chrono::duration_cast<Clock::duration>(pace_.durationOf(piece.content.bytes.size()));
        lastEnd_ = std::max(scheduledEnd, now);
        pieces_.pop_front();
    }
}

std::optional<ReplyQueue::Clock::time_point> ReplyQueue::nextDue()
{
    if (pieces_.empty())
        return std::nullopt;
    auto &piece = head();
    return *piece.start + std::chrono::duration_cast<Clock::duration>(pace_.durationOf(piece.written + 1));
}

} // namespace kestsim

// SPDX-License-Identifier: MIT
#include "reply_locate.h"

#include <algorithm>

namespace kestlink::protocol {

namespace {

constexpr std::size_t kLengthOffset = 2;

std::size_t frameSizeAt(std::span<const std::uint8_t> bytes) { return kFrameOverhead + bytes[kLengthOffset]; }

} // namespace

bool wholeFrameAt(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kFrameOverhead || bytes[0] != kReplyStart)
        return false;
    const std::size_t size = frameSizeAt(bytes);
    return size <= bytes.size() && bytes[size - 1] == kReplyEnd;
}

std::size_t replyStart(std::span<const std::uint8_t> received)
{
    for (std::size_t p = 0; p < received.size(); ++p)
        if (wholeFrameAt(received.subspan(p)))
            return p;
    const auto start = std::find(received.begin(), received.end(), kReplyStart);
    return start == received.end() ? 0 : static_cast<std::size_t>(start - received.begin());
}

std::span<const std::uint8_t> locateReply(std::span<const std::uint8_t> received)
{
    return received.subspan(replyStart(received));
}

bool isWholeReply(std::span<const std::uint8_t> received)
{
    const auto reply = locateReply(received);
    return wholeFrameAt(reply) && frameSizeAt(reply) == reply.size();
}

std::size_t bytesToWholeReply(std::span<const std::uint8_t> received, std::size_t expectedSize)
{
    if (isWholeReply(received))
        return 0;
    // A reply may still begin after everything received so far; or one that
    // has begun at a start byte still lacks the rest its length byte (or,
    // before that has come, the expected size) announces. The fewest bytes
    // any of these needs is what the read asks for next.
    const std::size_t n = received.size();
    std::size_t needed = std::max<std::size_t>(expectedSize, 1);
    for (std::size_t p = 0; p < n; ++p) {
        if (received[p] != kReplyStart)
            continue;
        const std::size_t have = n - p;
        const std::size_t size = have > kLengthOffset ? frameSizeAt(received.subspan(p)) : expectedSize;
        if (have < size && p + size <= kReplyBufferSize)
            needed = std::min(needed, size - have);
    }
    return needed;
}

bool replyBegun(std::span<const std::uint8_t> received)
{
    for (std::size_t p = 0; p + kLengthOffset < received.size(); ++p)
        if (received[p] == kReplyStart && p + frameSizeAt(received.subspan(p)) <= kReplyBufferSize)
            return true;
    return false;
}

std::size_t expectedReplySize(const CommandInfo &command)
{
    switch (command.rule) {
    case ReplyRule::Data: return kFrameOverhead + command.dataLength;
    case ReplyRule::Count: return kFrameOverhead + 2;
    case ReplyRule::Handshake: return kFrameOverhead;
    case ReplyRule::Any:
    case ReplyRule::Status: break;
    }
    return kFrameOverhead + 1;
}

} // namespace kestlink::protocol

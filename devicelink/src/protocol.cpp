// SPDX-License-Identifier: MIT
#include "protocol.h"

#include <algorithm>
#include <numeric>

namespace kestlink::protocol {

using namespace std::chrono_literals;

namespace {

constexpr CommandInfo kCommands[] = {
    {Command::Handshake, "handshake", 0, 200ms, ReplyRule::Handshake, 0},
    {Command::ReadRecord, "read-record", 2, 30ms, ReplyRule::Data, 31},
    {Command::DeleteAll, "delete-all", 0, 200ms, ReplyRule::Any, 0},
    {Command::QueryCount, "query-count", 0, 200ms, ReplyRule::Count, 0},
    {Command::SetTime, "set-time", 7, 200ms, ReplyRule::Status, 0},
    {Command::LoadCompare, "load-compare", 18, 200ms, ReplyRule::Status, 0},
    {Command::DeleteCompare, "delete-compare", 0, 1000ms, ReplyRule::Status, 0},
    {Command::ReadCompare, "read-compare", 2, 200ms, ReplyRule::Data, 30},
    {Command::SetDomain, "set-domain", 20, 500ms, ReplyRule::Status, 0},
    {Command::GetDomain, "get-domain", 0, 200ms, ReplyRule::Data, 23},
    {Command::SetKey, "set-key", 15, 500ms, ReplyRule::Status, 0},
    {Command::GetKey, "get-key", 0, 200ms, ReplyRule::Data, 15},
};

} // namespace

const CommandInfo &commandInfo(Command command)
{
    for (const auto &info : kCommands)
        if (info.code == command)
            return info;
    return kCommands[0]; // unreachable for the enumerators above
}

std::uint8_t checksum(std::span<const std::uint8_t> bytes)
{
    return static_cast<std::uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0u));
}

RequestFrame buildRequest(Command command, std::span<const std::uint8_t> payload)
{
    payload = payload.first(std::min(payload.size(), kMaxPayload));
    RequestFrame frame;
    auto *out = frame.bytes.data();
    out[0] = kRequestStart;
    out[1] = static_cast<std::uint8_t>(command);
    out[2] = static_cast<std::uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), out + 3);
    out[3 + payload.size()] = checksum({out + 1, payload.size() + 2});
    out[4 + payload.size()] = kRequestEnd;
    frame.size = kFrameOverhead + payload.size();
    return frame;
}

bool judgeReply(ReplyRule rule, std::uint8_t dataLength, std::span<const std::uint8_t> r)
{
    switch (rule) {
    case ReplyRule::Handshake: return r.size() >= 5 && r[0] == kReplyStart && r[4] == kReplyEnd;
    case ReplyRule::Any: return !r.empty();
    case ReplyRule::Status: return r.size() >= 4 && r[3] == 0x00;
    case ReplyRule::Data: return r.size() >= kReplyPayloadOffset + dataLength && r[2] == dataLength;
    case ReplyRule::Count: return r.size() == 7 && r[5] == checksum(r.subspan(1, 4));
    }
    return false;
}

std::uint8_t toPackedBcd(std::uint8_t value) { return static_cast<std::uint8_t>((value / 10) * 16 + value % 10); }

std::array<std::uint8_t, 2> numberPayload(std::uint16_t number)
{
    return {static_cast<std::uint8_t>(number & 0xFF), static_cast<std::uint8_t>(number >> 8)};
}

std::array<std::uint8_t, 7> clockPayload(const std::uint8_t (&time)[7])
{
    std::array<std::uint8_t, 7> payload{};
    payload[0] = time[0]; // the century byte goes as it is: 0x20 reads "20"
    for (std::size_t i = 1; i < payload.size(); ++i)
        payload[i] = toPackedBcd(time[i]);
    return payload;
}

std::array<std::uint8_t, 18> compareEntryPayload(std::uint16_t entry, const std::uint8_t (&card)[16])
{
    std::array<std::uint8_t, 18> payload{};
    const auto number = numberPayload(entry);
    std::copy(number.begin(), number.end(), payload.begin());
    std::copy(std::begin(card), std::end(card), payload.begin() + 2);
    return payload;
}

std::uint16_t countFromReply(std::span<const std::uint8_t> reply)
{
    return static_cast<std::uint16_t>(reply[3] | (reply[4] << 8));
}

} // namespace kestlink::protocol

// SPDX-License-Identifier: MIT
#include "kestsim/frame.h"

namespace kestsim {

std::uint8_t frameChecksum(std::uint8_t code, std::span<const std::uint8_t> payload)
{
    unsigned sum = code + static_cast<unsigned>(payload.size());
    for (auto byte : payload)
        sum += byte;
    return static_cast<std::uint8_t>(sum);
}

namespace {

std::vector<std::uint8_t> encode(std::uint8_t start, std::uint8_t end, std::uint8_t code,
                                 std::span<const std::uint8_t> payload)
{
    std::vector<std::uint8_t> frame;
    frame.reserve(payload.size() + kFrameOverhead);
    frame.push_back(start);
    frame.push_back(code);
    frame.push_back(static_cast<std::uint8_t>(payload.size()));
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(frameChecksum(code, payload));
    frame.push_back(end);
    return frame;
}

} // namespace

std::vector<std::uint8_t> encodeRequest(std::uint8_t code, std::span<const std::uint8_t> payload)
{
    return encode(kRequestStart, kRequestEnd, code, payload);
}

std::vector<std::uint8_t> encodeReply(std::uint8_t code, std::span<const std::uint8_t> payload)
{
    return encode(kReplyStart, kReplyEnd, code, payload);
}

std::vector<std::uint8_t> encodeStatusReply(std::uint8_t code, std::uint8_t status)
{
    const std::uint8_t payload[] = {status};
    return encodeReply(code, payload);
}

bool isWellFormedRequest(std::span<const std::uint8_t> frame)
{
    if (frame.size() < kFrameOverhead || frame[0] != kRequestStart)
        return false;
    const std::size_t length = frame[2];
    if (frame.size() != length + kFrameOverhead)
        return false;
    return frame[3 + length] == frameChecksum(frame[1], frame.subspan(3, length)) && frame[4 + length] == kRequestEnd;
}

} // namespace kestsim

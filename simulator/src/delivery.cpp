// SPDX-License-Identifier: MIT
#include "kestsim/delivery.h"

#include "kestsim/command.h"
#include "kestsim/frame.h"

namespace kestsim {
namespace {

using std::chrono::milliseconds;

milliseconds defaultTime(FaultKind kind)
{
    switch (kind) {
    case FaultKind::LateReply: return kLateReplyMargin;
    case FaultKind::SplitReply: return kSplitReplyGap;
    case FaultKind::StrayBytes: return kStrayBytesGap;
    case FaultKind::Noise: return kNoiseLead;
    default: return milliseconds{0};
    }
}

milliseconds timeOf(const FaultRule &rule) { return rule.time.value_or(defaultTime(rule.kind)); }

template <std::size_t N>
std::vector<std::uint8_t> bytesOr(const FaultRule &rule, const std::array<std::uint8_t, N> &otherwise)
{
    if (!rule.bytes.empty())
        return rule.bytes;
    return {otherwise.begin(), otherwise.end()};
}

// The pieces of the reply as the fault has it, timed from the request's
// arrival as if the reader had answered at once.
std::vector<Delivery::Piece> spoil(const FaultRule &rule, std::uint8_t code, std::vector<std::uint8_t> reply)
{
    // Byte positions in a reply: 0 start, 2 length, size-2 checksum.
    switch (rule.kind) {
    case FaultKind::NoReply:
    case FaultKind::HangUp: return {};
    case FaultKind::ShortReply: reply.resize(3); return {{{}, {}, std::move(reply)}};
    case FaultKind::WrongLength: {
        const auto oldLength = reply[2]++;
        reply[reply.size() - 2] = static_cast<std::uint8_t>(reply[reply.size() - 2] - oldLength + reply[2]);
        return {{{}, {}, std::move(reply)}};
    }
    case FaultKind::BadChecksum: reply[reply.size() - 2] ^= 0xFF; return {{{}, {}, std::move(reply)}};
    case FaultKind::BadStatus: return {{{}, {}, encodeStatusReply(code, kStatusFailed)}};
    case FaultKind::TrailingByte:
        // In the same write as the reply, so it lands in the host's same read.
        reply.push_back(0x00);
        return {{{}, {}, std::move(reply)}};
    case FaultKind::LateReply: return {{hostWaitFor(code) + kHostReadWindow + timeOf(rule), {}, std::move(reply)}};
    case FaultKind::SplitReply: {
        const auto half = reply.begin() + static_cast<std::ptrdiff_t>(reply.size() / 2);
        const auto gap = timeOf(rule);
        return {{{}, {}, {reply.begin(), half}}, {hostWaitFor(code) + gap, gap, {half, reply.end()}}};
    }
    case FaultKind::Delay:
        // Normally taken apart by FaultPlan::select; as a fault of its own it
        // is the healthy reply, late by its time.
        return {{timeOf(rule), {}, std::move(reply)}};
    case FaultKind::StrayBytes:
        return {{{}, {}, std::move(reply)}, {{}, timeOf(rule), bytesOr(rule, kDefaultStrayBytes)}};
    case FaultKind::Noise:
        // The reply follows right behind the noise, never before it is out.
        return {{timeOf(rule), {}, bytesOr(rule, kDefaultNoise)}, {{}, {}, std::move(reply)}};
    }
    return {};
}

} // namespace

std::vector<std::uint8_t> Delivery::bytes() const
{
    std::vector<std::uint8_t> all;
    for (const auto &piece : pieces)
        all.insert(all.end(), piece.bytes.begin(), piece.bytes.end());
    return all;
}

Delivery shapeReply(const FaultChoice &choice, std::uint8_t code, std::vector<std::uint8_t> reply)
{
    Delivery delivery;
    if (choice.fault) {
        delivery.hangUp = choice.fault->kind == FaultKind::HangUp;
        delivery.pieces = spoil(*choice.fault, code, std::move(reply));
    } else {
        delivery.pieces.push_back({{}, {}, std::move(reply)});
    }
    // A slow reader is slow with every piece of whatever it sends.
    for (auto &piece : delivery.pieces)
        piece.notBefore += choice.delay;
    return delivery;
}

} // namespace kestsim

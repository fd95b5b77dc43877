// SPDX-License-Identifier: MIT
// The reader's protocol as pure functions: request frames, the command table
// and the rules by which a reply is judged. Nothing here touches a port.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kestlink::protocol {

enum class Command : std::uint8_t {
    Handshake = 0x00,
    ReadRecord = 0x01,
    DeleteAll = 0x02,
    QueryCount = 0x04,
    SetTime = 0x05,
    LoadCompare = 0x06,
    DeleteCompare = 0x07,
    ReadCompare = 0x08,
    SetDomain = 0x09,
    GetDomain = 0x0A,
    SetKey = 0x0B,
    GetKey = 0x0C,
};

// How a reply is judged.
enum class ReplyRule {
    Handshake, // byte 0 is 0xA5 and byte 4 is 0x5A
    Any,       // some bytes arrived
    Status,    // byte 3, the status, is 0x00
    Data,      // byte 2, the length, is the command's data length
    Count,     // exactly 7 bytes and byte 5 is the sum of bytes 1 to 4
};

struct CommandInfo {
    Command code;
    const char *name;
    std::uint8_t payloadLength;     // request payload the command sends
    std::chrono::milliseconds wait; // fixed time the reader is given before the read
    ReplyRule rule;
    std::uint8_t dataLength; // reply payload a data reply carries
};

const CommandInfo &commandInfo(Command command);

constexpr std::uint8_t kRequestStart = 0xAA;
constexpr std::uint8_t kRequestEnd = 0x55;
constexpr std::uint8_t kReplyStart = 0xA5;
constexpr std::uint8_t kReplyEnd = 0x5A;
constexpr std::size_t kFrameOverhead = 5;
constexpr std::size_t kMaxPayload = 20;
constexpr std::size_t kReplyBufferSize = 64; // every transaction reads once, up to this

struct RequestFrame {
    std::array<std::uint8_t, kFrameOverhead + kMaxPayload> bytes{};
    std::size_t size = 0;
    std::span<const std::uint8_t> view() const { return {bytes.data(), size}; }
};

// 0xAA, code, length, payload, checksum of code, length and payload, 0x55.
// The payload is cut at kMaxPayload bytes.
RequestFrame buildRequest(Command command, std::span<const std::uint8_t> payload = {});

std::uint8_t checksum(std::span<const std::uint8_t> bytes);

// The verdict of a rule on a reply (what was received from its start byte on,
// see reply_locate.h). A reply too short to hold the byte a rule examines
// fails.
bool judgeReply(ReplyRule rule, std::uint8_t dataLength, std::span<const std::uint8_t> reply);
inline bool judgeReply(const CommandInfo &info, std::span<const std::uint8_t> reply)
{
    return judgeReply(info.rule, info.dataLength, reply);
}

// A count reply must not end early: an eighth byte arriving after a complete
// looking seventh makes it fail.
inline bool mayEndEarly(ReplyRule rule) { return rule != ReplyRule::Count; }

// Where the payload of a data reply sits.
constexpr std::size_t kReplyPayloadOffset = 3;

// Packed BCD of an unsigned byte, kept to 8 bits: 59 -> 0x59, 99 -> 0x99.
std::uint8_t toPackedBcd(std::uint8_t value);

// Request payloads.
std::array<std::uint8_t, 2> numberPayload(std::uint16_t number); // low byte, high byte
std::array<std::uint8_t, 7> clockPayload(const std::uint8_t (&time)[7]);
std::array<std::uint8_t, 18> compareEntryPayload(std::uint16_t entry, const std::uint8_t (&card)[16]);

// The count a count reply carries: byte 3 + 256 * byte 4.
std::uint16_t countFromReply(std::span<const std::uint8_t> reply);

} // namespace kestlink::protocol

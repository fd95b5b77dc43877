// SPDX-License-Identifier: MIT
// The reader's side of the frames, written apart from the library's own
// (devicelink/src/frame.h) on purpose: an independent oracle, so that a fault
// in one is not copied into the other and so hidden.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kestsim {

// Request: AA code L payload[L] checksum 55, checksum = code + L + payload.
// Reply:   A5 code N payload[N] checksum 5A, same checksum rule.
inline constexpr std::uint8_t kRequestStart = 0xAA;
inline constexpr std::uint8_t kRequestEnd = 0x55;
inline constexpr std::uint8_t kReplyStart = 0xA5;
inline constexpr std::uint8_t kReplyEnd = 0x5A;
inline constexpr std::size_t kFrameOverhead = 5;

inline constexpr std::uint8_t kStatusOk = 0x00;
inline constexpr std::uint8_t kStatusFailed = 0x01;

// Sum mod 256 of code, length and payload: the same rule both ways.
std::uint8_t frameChecksum(std::uint8_t code, std::span<const std::uint8_t> payload);

std::vector<std::uint8_t> encodeRequest(std::uint8_t code, std::span<const std::uint8_t> payload = {});
std::vector<std::uint8_t> encodeReply(std::uint8_t code, std::span<const std::uint8_t> payload = {});

// The reader's one-byte answer: A5 code 01 status checksum 5A.
std::vector<std::uint8_t> encodeStatusReply(std::uint8_t code, std::uint8_t status);

// True when the bytes are exactly one request frame with matching length,
// checksum and end byte.
bool isWellFormedRequest(std::span<const std::uint8_t> frame);

} // namespace kestsim

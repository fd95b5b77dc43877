// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kestsim {

// Command codes the reader understands. 0x03 is unused by the reader.
namespace command {
inline constexpr std::uint8_t kHandshake = 0x00;
inline constexpr std::uint8_t kReadRecord = 0x01;
inline constexpr std::uint8_t kDeleteAllRecords = 0x02;
inline constexpr std::uint8_t kQueryCount = 0x04;
inline constexpr std::uint8_t kSetClock = 0x05;
inline constexpr std::uint8_t kLoadCompareEntry = 0x06;
inline constexpr std::uint8_t kDeleteCompareList = 0x07;
inline constexpr std::uint8_t kReadCompareEntry = 0x08;
inline constexpr std::uint8_t kSetDomain = 0x09;
inline constexpr std::uint8_t kGetDomain = 0x0A;
inline constexpr std::uint8_t kSetKey = 0x0B;
inline constexpr std::uint8_t kGetKey = 0x0C;
} // namespace command

// The short names used on the command line ("read-record", "get-key", ...).
// Unknown codes have no name.
std::optional<std::string_view> commandName(std::uint8_t code);
std::optional<std::uint8_t> commandFromName(std::string_view name);

// How long the host sleeps after sending this command before it reads the
// reply. A late reply has to land after the host's read is over, so the
// virtual reader needs to know this.
std::chrono::milliseconds hostWaitFor(std::uint8_t code);

// The longest a host read lasts when nothing arrives: 10 ms + 2 ms for each
// of the 64 bytes it asks for.
inline constexpr std::chrono::milliseconds kHostReadWindow{138};

} // namespace kestsim

// SPDX-License-Identifier: MIT
// Bytes as hexadecimal text, and back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestlink_cli {

// Two lower-case digits a byte, nothing between.
std::string hexText(std::string_view bytes);
std::string hexText(const std::uint8_t *bytes, std::size_t count);

// Exactly `size` bytes written as 2 × size hexadecimal digits (either case);
// nothing else is taken.
std::optional<std::vector<std::uint8_t>> parseHex(std::string_view text, std::size_t size);

} // namespace kestlink_cli

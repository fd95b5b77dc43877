// SPDX-License-Identifier: MIT
#include "cli_hex.h"

namespace kestlink_cli {

namespace {
int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

std::string hexText(const std::uint8_t *bytes, std::size_t count)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0F];
    }
    return out;
}

std::string hexText(std::string_view bytes)
{
    return hexText(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
}

std::optional<std::vector<std::uint8_t>> parseHex(std::string_view text, std::size_t size)
{
    if (text.size() != size * 2)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = digitValue(text[i]);
        const int low = digitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

} // namespace kestlink_cli

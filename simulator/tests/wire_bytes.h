// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace kestsim::test {

using Bytes = std::vector<std::uint8_t>;

// Frames written out by hand in the tests, with their own checksum sum so
// that a slip in the library's frame code cannot hide in both places.
inline Bytes wireFrame(std::uint8_t start, std::uint8_t code, const Bytes &payload, std::uint8_t end)
{
    Bytes frame{start, code, static_cast<std::uint8_t>(payload.size())};
    unsigned sum = code + static_cast<unsigned>(payload.size());
    for (auto b : payload) {
        frame.push_back(b);
        sum += b;
    }
    frame.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    frame.push_back(end);
    return frame;
}

inline Bytes request(std::uint8_t code, const Bytes &payload = {}) { return wireFrame(0xAA, code, payload, 0x55); }

inline Bytes reply(std::uint8_t code, const Bytes &payload = {}) { return wireFrame(0xA5, code, payload, 0x5A); }

inline Bytes statusReply(std::uint8_t code, std::uint8_t status) { return reply(code, {status}); }

inline Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const auto &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline Bytes filled(std::size_t size, std::uint8_t first)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

} // namespace kestsim::test

// SPDX-License-Identifier: MIT
// A caller's output buffer with sentinel bytes in it and on both sides, so
// that a failed call that wrote anything, or any call that wrote past the
// buffer, shows.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace soak {

inline constexpr std::uint8_t kSentinel = 0xEE;

template <std::size_t N> class Guarded {
public:
    Guarded() { bytes_.fill(kSentinel); }

    std::uint8_t *data() { return bytes_.data() + kGuard; }
    std::span<const std::uint8_t> inside() const { return {bytes_.data() + kGuard, N}; }

    bool guardsIntact() const
    {
        const auto isSentinel = [](std::uint8_t b) { return b == kSentinel; };
        return std::all_of(bytes_.begin(), bytes_.begin() + kGuard, isSentinel) &&
               std::all_of(bytes_.end() - kGuard, bytes_.end(), isSentinel);
    }
    bool untouched() const
    {
        return std::all_of(bytes_.begin(), bytes_.end(), [](std::uint8_t b) { return b == kSentinel; });
    }

private:
    static constexpr std::size_t kGuard = 16;
    alignas(8) std::array<std::uint8_t, N + 2 * kGuard> bytes_;
};

// A 16-bit output (a count, a length) between two guard words.
struct GuardedWord {
    static constexpr std::uint16_t kSentinelWord = 0xBEEF;
    std::uint16_t before = kSentinelWord;
    std::uint16_t value = kSentinelWord;
    std::uint16_t after = kSentinelWord;

    bool guardsIntact() const { return before == kSentinelWord && after == kSentinelWord; }
    bool untouched() const { return guardsIntact() && value == kSentinelWord; }
};

} // namespace soak

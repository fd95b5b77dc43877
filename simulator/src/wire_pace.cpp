// SPDX-License-Identifier: MIT
#include "kestsim/wire_pace.h"

#include <algorithm>

namespace kestsim {
namespace {
constexpr long long kBitsPerByte = 10;
constexpr long long kNanosPerSecond = 1'000'000'000;
} // namespace

std::chrono::nanoseconds WirePace::durationOf(std::size_t byteCount) const
{
    if (!paced())
        return std::chrono::nanoseconds{0};
    const long long bits = static_cast<long long>(byteCount) * kBitsPerByte;
    // Rounded up, so a byte is never counted as sent before it fully is.
    return std::chrono::nanoseconds{(bits * kNanosPerSecond + baud_ - 1) / baud_};
}

std::size_t WirePace::bytesSentBy(std::chrono::nanoseconds elapsed, std::size_t total) const
{
    if (elapsed.count() < 0)
        return 0; // not begun yet
    if (!paced())
        return total;
    // Split the product so that long runs cannot overflow.
    const long long seconds = elapsed.count() / kNanosPerSecond;
    const long long rest = elapsed.count() % kNanosPerSecond;
    const long long bits = seconds * baud_ + rest * baud_ / kNanosPerSecond;
    return std::min(total, static_cast<std::size_t>(bits / kBitsPerByte));
}

} // namespace kestsim

// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kestsim {

// One stored read as the reader keeps it: 16 ASCII card-number characters
// ("999 012345678901"), the time as ASCII digits YYYYMMDDhhmmss, then a
// binary flag 0..3 (0 = not flagged).
inline constexpr std::size_t kRecordSize = 31;
inline constexpr std::size_t kCardNumberSize = 16;
inline constexpr std::uint8_t kMaxFlag = 3;
using Record = std::array<std::uint8_t, kRecordSize>;

struct RecordTime {
    int year = 2024;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const RecordTime &, const RecordTime &) = default;
};

// Throws std::invalid_argument when the card number is not 16 bytes, a time
// field does not fit its digits, or the flag is above 3.
Record makeRecord(std::string_view cardNumber, const RecordTime &time, std::uint8_t flag);

std::string_view recordCardNumber(const Record &record);
std::uint8_t recordFlag(const Record &record);

} // namespace kestsim

// SPDX-License-Identifier: MIT
#include "kestsim/record.h"

#include <stdexcept>
#include <string>

namespace kestsim {
namespace {

constexpr std::size_t kTimeOffset = kCardNumberSize;
constexpr std::size_t kFlagOffset = kRecordSize - 1;

// Writes `value` as exactly `width` ASCII digits.
void putDigits(Record &record, std::size_t &at, int value, int width, const char *field)
{
    int limit = 1;
    for (int i = 0; i < width; ++i)
        limit *= 10;
    if (value < 0 || value >= limit) {
        throw std::invalid_argument(std::string("record ") + field + " out of range: " + std::to_string(value));
    }
    for (int i = width - 1; i >= 0; --i) {
        record[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>('0' + value % 10);
        value /= 10;
    }
    at += static_cast<std::size_t>(width);
}

} // namespace

Record makeRecord(std::string_view cardNumber, const RecordTime &time, std::uint8_t flag)
{
    if (cardNumber.size() != kCardNumberSize) {
        throw std::invalid_argument("card number must be 16 characters: \"" + std::string(cardNumber) + "\"");
    }
    if (flag > kMaxFlag) {
        throw std::invalid_argument("record flag above 3: " + std::to_string(flag));
    }
    Record record{};
    for (std::size_t i = 0; i < kCardNumberSize; ++i) {
        record[i] = static_cast<std::uint8_t>(cardNumber[i]);
    }
    std::size_t at = kTimeOffset;
    putDigits(record, at, time.year, 4, "year");
    putDigits(record, at, time.month, 2, "month");
    putDigits(record, at, time.day, 2, "day");
    putDigits(record, at, time.hour, 2, "hour");
    putDigits(record, at, time.minute, 2, "minute");
    putDigits(record, at, time.second, 2, "second");
    record[kFlagOffset] = flag;
    return record;
}

std::string_view recordCardNumber(const Record &record)
{
    return {reinterpret_cast<const char *>(record.data()), kCardNumberSize};
}

std::uint8_t recordFlag(const Record &record) { return record[kFlagOffset]; }

} // namespace kestsim

// SPDX-License-Identifier: MIT
#include "row_texts.h"

#include <cstring>

namespace kestrix {

const std::string &columnText(const RowTexts &row, int column)
{
    switch (column) {
    case 0: return row.sequence;
    case 1: return row.cardNumber;
    case 2: return row.time;
    default: return row.flag;
    }
}

std::string sequenceText(std::int32_t s)
{
    // A negative number shows the digits of its magnitude: the list never
    // numbers rows below 1, and a minus sign would not fit the five columns.
    // The magnitude is taken in 64 bits so that INT32_MIN has one too.
    std::int64_t magnitude = s < 0 ? -static_cast<std::int64_t>(s) : s;
    std::string text(5, '0');
    for (int k = 4; k >= 0; --k) {
        text[static_cast<std::size_t>(k)] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    }
    return text;
}

namespace {

// The bytes up to the first zero byte, at most n of them.
std::string cText(const char *bytes, std::size_t n) { return std::string(bytes, strnlen(bytes, n)); }

std::string timeText(const TagRecord &r)
{
    char text[] = "2016/01/27 13:12:07";
    std::memcpy(text + 0, r.year, 4);
    std::memcpy(text + 5, r.month, 2);
    std::memcpy(text + 8, r.day, 2);
    std::memcpy(text + 11, r.hour, 2);
    std::memcpy(text + 14, r.minute, 2);
    std::memcpy(text + 17, r.second, 2);
    return cText(text, sizeof text - 1);
}

std::string flagText(std::uint8_t flag)
{
    if (flag == 0)
        return " ";
    // The digit is '0' plus the flag in eight bits, so flags above 9 show
    // as the characters after '9', and 0xD0 wraps round to a zero byte,
    // which ends the text before it starts.
    const char c = static_cast<char>(static_cast<std::uint8_t>('0' + flag));
    return c == '\0' ? std::string() : std::string(1, c);
}

} // namespace

RowTexts rowFromRecord(const TagRecord &record, std::int32_t s)
{
    return RowTexts{sequenceText(s), cText(record.cardNumber, sizeof record.cardNumber), timeText(record),
                    flagText(record.flag)};
}

} // namespace kestrix

// SPDX-License-Identifier: MIT
#include "row_texts.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(SequenceText, KeepsTheLastFiveDigits)
{
    const struct {
        std::int32_t s;
        const char *text;
    } cases[] = {
        {0, "00000"},
        {1, "00001"},
        {7, "00007"},
        {99999, "99999"},
        {100000, "00000"},
        {123456, "23456"},
        {INT32_MAX, "83647"},
        // Negative numbers show their magnitude's digits.
        {-7, "00007"},
        {-123456, "23456"},
        {INT32_MIN, "83648"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(sequenceText(c.s), c.text) << c.s;
}

TagRecord record(const char card[16], const char time[14], std::uint8_t flag)
{
    TagRecord r{};
    std::memcpy(r.cardNumber, card, 16);
    std::memcpy(r.year, time, 14); // year to second lie back to back
    r.flag = flag;
    return r;
}

TEST(RowFromRecord, FillsTheFourColumns)
{
    const TagRecord r = record("999 012345678901", "20240127131207", 3);
    EXPECT_EQ(rowFromRecord(r, 12), (RowTexts{"00012", "999 012345678901", "2024/01/27 13:12:07", "3"}));
}

TEST(RowFromRecord, AFullCardNumberDoesNotRunIntoTheTime)
{
    // The 16 card bytes carry no terminator; the year follows directly.
    const TagRecord r = record("ABCDEFGHIJKLMNOP", "20240127131207", 0);
    EXPECT_EQ(rowFromRecord(r, 1).cardNumber, "ABCDEFGHIJKLMNOP");
}

TEST(RowFromRecord, AZeroByteEndsTheCardAndTimeTexts)
{
    const struct {
        const char *card; // 16 bytes
        const char *time; // 14 bytes
        const char *cardText;
        const char *timeText;
    } cases[] = {
        {"12345\0ABCDEFGHIJ", "20240127131207", "12345", "2024/01/27 13:12:07"},
        {"\0BCDEFGHIJKLMNOP", "20240127131207", "", "2024/01/27 13:12:07"},
        {"1234567890123456",
         "20\0"
         "40127131207",
         "1234567890123456", "20"},
        {"1234567890123456",
         "2024\0"
         "127131207",
         "1234567890123456", "2024/"},
        {"1234567890123456", "2024012713120\0", "1234567890123456", "2024/01/27 13:12:0"},
        {"1234567890123456",
         "\0"
         "0240127131207",
         "1234567890123456", ""},
    };
    for (const auto &c : cases) {
        const RowTexts row = rowFromRecord(record(c.card, c.time, 0), 1);
        EXPECT_EQ(row.cardNumber, c.cardText);
        EXPECT_EQ(row.time, c.timeText);
    }
}

TEST(RowFromRecord, FlagBecomesOneCharacter)
{
    const struct {
        std::uint8_t flag;
        std::string text;
    } cases[] = {
        {0, " "},       {1, "1"},    {9, "9"}, {10, ":"}, // the characters after '9'
        {0xCF, "\xFF"}, {0xD0, ""},                       // '0' + 0xD0 wraps to a zero byte
        {0xD1, "\x01"}, {0xFF, "/"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(rowFromRecord(record("1234567890123456", "20240127131207", c.flag), 1).flag, c.text) << int(c.flag);
}

} // namespace
} // namespace kestrix

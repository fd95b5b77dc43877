// SPDX-License-Identifier: MIT
#include "gbk_text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <set>

namespace kestrix {
namespace {

std::size_t replacements(const std::u16string &text) { return std::count(text.begin(), text.end(), u'\uFFFD'); }

TEST(GbkText, DecodesEachByteOrPair)
{
    const struct {
        std::string_view bytes;
        std::u16string_view text;
    } cases[] = {
        {"", u""},
        {"Kestrix 1.0,;~", u"Kestrix 1.0,;~"},
        {std::string_view("A\0B", 3), std::u16string_view(u"A\0B", 3)},
        {"\xD0\xF2\xBA\xC5", u"序号"},
        {"999 012345678901", u"999 012345678901"},
        {"\x81\x40\xB0\xA1\xA1\xA1\xA3\xA1\xF7\xFE\xFE\x4F", u"\u4E02啊\u3000！\u9F44\uFA29"},
        // 0x80 is the euro sign, as Windows' code page 936 has it.
        {"\x80", u"€"},
        {"\xB0\x80", u"\u769C"}, // but after a lead byte it is a trail
        {"12\x80"
         "3",
         u"12€3"},
        // Bytes that start nothing.
        {"999 01234567890\xFF", u"999 01234567890\uFFFD"},
        {"\xFF\xFF", u"\uFFFD\uFFFD"},
        // A lead byte that ends the text.
        {"AB\xB0", u"AB\uFFFD"},
        {"\xD0\xF2\xBA", u"序\uFFFD"},
        // A lead byte whose next byte is no trail: that byte is read afresh.
        {"\xB0"
         "0",
         u"\uFFFD"
         "0"},
        {"\xB0\x7F", u"\uFFFD\x7F"},
        {"\xB0\xFF", u"\uFFFD\uFFFD"},
        {"\xD0\xF2\xFF\xBA\xC5", u"序\uFFFD号"},
        // Pairs Windows gives only private-use characters (a user-defined
        // area, a form Unicode lacked then): two bad bytes, on every platform.
        {"\xAA\xA1", u"\uFFFD\uFFFD"},
        {"\xA1\x40", u"\uFFFD@"},
        {"\xFE\xFE", u"\uFFFD\uFFFD"},
        {"\xA2\xE3"
         "1",
         u"\uFFFD\uFFFD"
         "1"},
        // Decoding goes on at the next byte, which may start a pair.
        {"\xAA\xA1\xA1", u"\uFFFD\u3000"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(gbkToUtf16(c.bytes), c.text) << testing::PrintToString(std::string(c.bytes));
}

TEST(GbkText, Utf8IsTheSameText)
{
    const struct {
        std::string_view bytes;
        std::string_view text;
    } cases[] = {
        {"999 012345678901", "999 012345678901"},
        {"\xD0\xF2\xBA\xC5,\xBF\xA8\xBA\xC5", "序号,卡号"},
        {"\x80\xA1\xA4", "€·"},       // three and two UTF-8 bytes
        {"AB\xB0", "AB\xEF\xBF\xBD"}, // U+FFFD
        {"\xFF"
         "1\xAA\xA1",
         "\xEF\xBF\xBD"
         "1\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(gbkToUtf8(c.bytes), c.text) << testing::PrintToString(std::string(c.bytes));
}

TEST(GbkText, RowsThatDifferInBadBytesLookDifferent)
{
    // Each bad byte shows as one mark where it stands, so no row loses a
    // byte and none passes for another.
    const struct {
        std::string_view bytes;
        std::size_t badBytes;
    } rows[] = {
        {"999 0123", 0},
        {"999 0123\xB0", 1}, // the lone lead byte that used to vanish
        {"999 0123\xFF\xFF", 2},
        {"999 \xFF"
         "0123",
         1},
        {"\xB0"
         "999 0123",
         1},
        {"999 0\xFF"
         "123\xFF",
         2},
    };
    std::set<std::u16string> seen;
    for (const auto &row : rows) {
        const std::u16string text = gbkToUtf16(row.bytes);
        EXPECT_EQ(text.size(), row.bytes.size()) << testing::PrintToString(std::string(row.bytes));
        EXPECT_EQ(replacements(text), row.badBytes) << testing::PrintToString(std::string(row.bytes));
        EXPECT_TRUE(seen.insert(text).second) << testing::PrintToString(std::string(row.bytes));
    }
}

TEST(GbkText, EveryTwoBytesShowAsOneCharacterOnlyWhenTheyAreAPair)
{
    // All 65,536 two-byte texts: one character means a pair code page 936
    // defines, and no two pairs share it; everything else is two characters.
    // The count is that of Windows' table less its private-use pairs, which
    // glibc's GBK matches pair for pair.
    std::set<char16_t> pairCharacters;
    std::size_t pairs = 0;
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            const char bytes[2] = {static_cast<char>(first), static_cast<char>(second)};
            const std::u16string text = gbkToUtf16(std::string_view(bytes, 2));
            if (text.size() == 1) {
                ++pairs;
                EXPECT_GE(first, 0x81) << first << ' ' << second;
                EXPECT_NE(text[0], u'\uFFFD');
                EXPECT_TRUE(pairCharacters.insert(text[0]).second) << first << ' ' << second;
            } else {
                ASSERT_EQ(text.size(), 2u) << first << ' ' << second;
            }
        }
    }
    EXPECT_EQ(pairs, 21791u);
}

TEST(GbkText, TimeForAFullList)
{
    // 65,535 rows of 40 bytes each (the list's four columns), all ASCII as
    // readers send them, and all pairs as the worst case. Printed only.
    const std::string ascii = "00001999 0123456789012024/01/27 13:12:07";
    std::string pairs;
    while (pairs.size() < 40)
        pairs += "\xD0\xF2\xBA\xC5";
    for (const auto &[name, row] : {std::pair{"ASCII", ascii}, std::pair{"GBK pairs", pairs}}) {
        const auto start = std::chrono::steady_clock::now();
        std::size_t characters = 0;
        for (int i = 0; i < 65535; ++i)
            characters += gbkToUtf16(row).size();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        std::printf("decoding 65,535 rows of 40 bytes (%s): %.2f ms, %zu characters\n", name, took.count(), characters);
    }
}

} // namespace
} // namespace kestrix

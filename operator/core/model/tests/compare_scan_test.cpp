// SPDX-License-Identifier: MIT
#include "compare_table.h"

#include <cstring>
#include <gtest/gtest.h>

#include "compare_entries.h"
#include "csv_export.h"

namespace kestrix {
namespace {

using test::entries;
using test::tableEntries;

const std::string T = "2024/01/27 13:12:07";
const std::string kHeader(kCsvHeader);

// Scans a copy of exactly the text's length, so that reading past the end is
// an error the address sanitizer reports. The table starts out full of
// leftovers, which the scan must overwrite.
std::size_t scan(const std::string &text, CompareTable &table)
{
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    for (CompareEntry &e : table.entries)
        std::memset(e.cardNumber, 0xEE, sizeof e.cardNumber);
    table.count = 999;
    return scanCompareFile(bytes, table);
}

TEST(ScanCompareFile, FindsTheCardOfEachRow)
{
    const struct {
        const char *name;
        std::string text;
        std::vector<std::string> cards;
    } cases[] = {
        {"export file",
         kHeader + "00001,999 012345678901," + T + ", \n00002,999 012345678902," + T + ",1\n00003,999 012345678903," +
             T + ",2\n",
         {"999 012345678901", "999 012345678902", "999 012345678903"}},
        {"line feeds after carriage returns",
         "\xD0\xF2\xBA\xC5,\xBF\xA8\xBA\xC5,\xCA\xB1\xBC\xE4,\xB1\xEA\xBC\xC7 \r\n"
         "00001,999 012345678901," +
             T + ", \r\n00002,999 012345678902," + T + ",1\r\n00003,999 012345678903," + T + ",2\r\n",
         {"999 012345678901", "999 012345678902", "999 012345678903"}},
        {"short cards are zero-filled", kHeader + "00001,12345," + T + ", \n00002,A," + T + ",1\n", {"12345", "A"}},
        {"an empty card is an all-zero entry", kHeader + "00001,," + T + ", \n00002,B," + T + ",1\n", {"", "B"}},
        // Only the comma after five bytes makes a row, digits or not.
        {"any five bytes before the comma", kHeader + "abcde,CARD1," + T + ", \n", {"CARD1"}},
        {"four digits are not a row", kHeader + "0001,CARD1," + T + ", \n00002,CARD2," + T + ", \n", {"CARD2"}},
        // A row needs a line feed before it: a file without a header loses its
        // first row.
        {"first row without a line feed", "00001,CARD1," + T + ", \n00002,CARD2," + T + ", \n", {"CARD2"}},
        {"header only", kHeader, {}},
        // A field of more than 16 bytes is cut to 16; the byte after them is
        // passed over and the scan goes on inside the field.
        {"long card, then the next row",
         kHeader + "00001,ABCDEFGHIJKLMNOPQRST," + T + ", \n00002,CARD2," + T + ", \n",
         {"ABCDEFGHIJKLMNOP", "CARD2"}},
        {"17-byte field ending its line",
         kHeader + "00001,ABCDEFGHIJKLMNOPQ\n00002,CARD2," + T + ", \n",
         {"ABCDEFGHIJKLMNOP", "CARD2"}},
        // The byte passed over after 16 is normally the comma; when it is the
        // line feed of the next row instead, that row is lost.
        {"16-byte field ending its line",
         kHeader + "00001,ABCDEFGHIJKLMNOP\n00002,CARD2," + T + ", \n",
         {"ABCDEFGHIJKLMNOP"}},
    };
    for (const auto &c : cases) {
        CompareTable table;
        EXPECT_EQ(scan(c.text, table), c.cards.size()) << c.name;
        EXPECT_EQ(tableEntries(table), entries(c.cards)) << c.name;
    }
}

TEST(ScanCompareFile, StoresTheFirstThousandAndCountsTheRest)
{
    std::string text(kCsvHeader);
    for (int i = 1; i <= 1200; ++i)
        text += csvLine({sequenceText(i), "999 0123" + sequenceText(i * 7) + "000", T, " "});
    CompareTable table;
    EXPECT_EQ(scan(text, table), 1200u);
    EXPECT_EQ(table.count, 1000);
    EXPECT_EQ(std::string(table.entries[0].cardNumber, 16), "999 012300007000");
    EXPECT_EQ(std::string(table.entries[999].cardNumber, 16), "999 012307000000");
}

// A row is found only where its line feed and all 16 card bytes after the
// comma lie within the first 65536 bytes and within the buffer.
TEST(ScanCompareFile, RowsMustFitInTheBytesAndTheFirst64KiB)
{
    const struct {
        std::size_t size;
        std::size_t rowAt;
        std::size_t found;
    } cases[] = {
        {22, 0, 0},
        {23, 0, 1},
        {100, 77, 1},
        {100, 78, 0},
        {65536, 65513, 1},
        {65536, 65514, 0},
        {65536 + 100, 65513, 1},
        {65536 + 100, 65514, 0},
    };
    for (const auto &c : cases) {
        std::string text(c.size, 'x');
        const std::string row = "\n00001," + std::string(16, 'C');
        text.replace(c.rowAt, std::min(row.size(), c.size - c.rowAt), row, 0, c.size - c.rowAt);
        ASSERT_EQ(text.size(), c.size);
        CompareTable table;
        EXPECT_EQ(scan(text, table), c.found) << c.size << " bytes, row at " << c.rowAt;
        EXPECT_EQ(tableEntries(table), entries(std::vector<std::string>(c.found, std::string(16, 'C'))));
    }
}

TEST(ScanCompareFile, LongFileIsScannedInItsFirst64KiBOnly)
{
    std::string text(kCsvHeader);
    std::size_t rowsInside = 0; // rows whose line feed and card fit the first 65536 bytes
    for (int i = 1; text.size() < 70000; ++i) {
        if (text.size() - 1 + 22 < 65536)
            ++rowsInside;
        text += csvLine({sequenceText(i), "999 012345678901", T, " "});
    }
    CompareTable table;
    EXPECT_EQ(scan(text, table), rowsInside);
    EXPECT_GT(rowsInside, 1000u);
    EXPECT_EQ(table.count, 1000);
}

} // namespace
} // namespace kestrix

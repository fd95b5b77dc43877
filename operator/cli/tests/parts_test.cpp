// SPDX-License-Identifier: MIT
// The tool's own pieces: the rows it prints, hex, the clock text, the bar.
#include <gtest/gtest.h>

#include "clock_text.h"
#include "cli_hex.h"
#include "progress_bar.h"
#include "row_output.h"

namespace kestlink_cli {
namespace {

TEST(RowOutput, TextAndJsonLines)
{
    const struct {
        kestrix::RowTexts row;
        const char *text;
        const char *json;
    } cases[] = {
        {{"00001", "999 012345678901", "2024/01/01 08:00:00", " "},
         "00001\t999 012345678901\t2024/01/01 08:00:00\t \n",
         R"({"sequence":"00001","card":"999 012345678901","time":"2024/01/01 08:00:00","flag":" "})"
         "\n"},
        // GBK 卡 (BF A8), a byte that is no character (FF), a quote and a tab:
        // shown decoded, and kept exactly in card_hex.
        {{"00002", "\xbf\xa8\xff\"\t", "2024/01/01 08:00:17", "1"},
         "00002\t\xe5\x8d\xa1\xef\xbf\xbd\"\t\t2024/01/01 08:00:17\t1\n",
         R"({"sequence":"00002","card":"卡�\"\u0009","card_hex":"bfa8ff2209","time":"2024/01/01 08:00:17","flag":"1"})"
         "\n"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(textLine(c.row), c.text);
        EXPECT_EQ(jsonLine(c.row), c.json);
    }
}

TEST(HexText, BothWays)
{
    EXPECT_EQ(hexText(std::string_view("\x00\x7f\xff", 3)), "007fff");
    EXPECT_EQ(parseHex("007FfF", 3), (std::vector<std::uint8_t>{0x00, 0x7F, 0xFF}));
    for (const char *wrong : {"007ff", "007fff00", "007fgf", "00 7ff", ""})
        EXPECT_FALSE(parseHex(wrong, 3)) << wrong;
}

TEST(ClockText, TakesRealTimesOfTheReadersCentury)
{
    const auto leap = parseClockText("2024-02-29 23:59:58");
    ASSERT_TRUE(leap);
    EXPECT_EQ((std::vector<int>{leap->year, leap->month, leap->day, leap->hour, leap->minute, leap->second}),
              (std::vector<int>{2024, 2, 29, 23, 59, 58}));
    for (const char *wrong :
         {"2023-02-29 00:00:00", "2024-13-01 00:00:00", "2024-04-31 00:00:00", "2024-01-01 24:00:00",
          "2024-01-01 00:60:00", "1999-12-31 23:59:59", "2100-01-01 00:00:00", "2024-1-01 00:00:00",
          "2024/01/01 00:00:00", "2024-01-01T00:00:00", "2024-01-01 00:00:00 ", "2024-01-01 0a:00:00"})
        EXPECT_FALSE(parseClockText(wrong)) << wrong;
}

TEST(ProgressLine, CountsRateAndTimeLeft)
{
    EXPECT_EQ(progressLine(0, 300, 0), "0/300 [....................]");
    EXPECT_EQ(progressLine(150, 300, 5), "150/300 [##########..........]   30.0/s   0:05 left");
    EXPECT_EQ(progressLine(300, 300, 10), "300/300 [####################]   30.0/s   0:00 left");
    EXPECT_EQ(progressLine(1, 20000, 0.03), "1/20000 [....................]   33.3/s  10:00 left");
}

} // namespace
} // namespace kestlink_cli

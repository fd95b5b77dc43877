// SPDX-License-Identifier: MIT
// Showing the count and reading records into the list.
#include <algorithm>
#include <cstring>

#include "row_texts.h"
#include "steps_fixture.h"

namespace kestrix::test {

namespace {
constexpr std::uint8_t kReadRecord = 0x01;

// The record numbers the reader was asked for, in order.
std::vector<int> recordNumbersAsked(const kestsim::VirtualReader &reader)
{
    std::vector<int> numbers;
    for (const auto &frame : reader.requests())
        if (frame.code() == kReadRecord)
            numbers.push_back(frame.bytes[3] | frame.bytes[4] << 8);
    return numbers;
}

using S = KestrixController;
} // namespace

TEST_F(StepsTest, ShowCountRewritesEveryEditFromTheFields)
{
    connectedReader(1234);
    type(Field::SingleNumber, "99"); // typed, not yet read by any step
    press(&S::queryCount);
    EXPECT_TRUE(said().empty());
    EXPECT_EQ(view.fields[Field::RecordCount], "1234");
    EXPECT_EQ(view.fields[Field::SingleNumber], "1");
}

TEST_F(StepsTest, ReadAllFillsTheListAndTheBarReachesTheEnd)
{
    auto &reader = connectedReader(3);
    press(&S::readAll);
    EXPECT_TRUE(said().empty());
    ASSERT_EQ(rows().size(), 3u);
    EXPECT_EQ(view.rowsShown, 3u);
    const auto records = reader.records();
    for (std::size_t r = 0; r < 3; ++r) {
        EXPECT_EQ(rows()[r].sequence, sequenceText(static_cast<std::int32_t>(r) + 1));
        EXPECT_EQ(rows()[r].cardNumber, std::string(records[r].begin(), records[r].begin() + 16));
    }
    EXPECT_EQ(view.progress, (std::vector<int>{0, 33, 66, 100}));
    EXPECT_EQ(toolkit.sleeps(), std::vector<int>{50});
    EXPECT_EQ(recordNumbersAsked(reader), (std::vector<int>{0, 1, 2}));
}

TEST_F(StepsTest, ReadAllOfMoreThanAHundredRecordsAdvancesTheBar)
{
    connectedReader(250);
    press(&S::readAll);
    ASSERT_EQ(rows().size(), 250u);
    ASSERT_FALSE(view.progress.empty());
    EXPECT_EQ(view.progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(view.progress.begin(), view.progress.end()));
    EXPECT_NE(std::find(view.progress.begin(), view.progress.end(), 50), view.progress.end());
}

TEST_F(StepsTest, ReadAllAppendsAfterExistingRowsAndNumbersThemOn)
{
    connectedReader(4);
    press(&S::readAll);
    press(&S::readAll);
    ASSERT_EQ(rows().size(), 8u);
    EXPECT_EQ(rows()[4].sequence, "00005");
    EXPECT_EQ(rows()[7].sequence, "00008");
    EXPECT_EQ(rows()[4].cardNumber, rows()[0].cardNumber);
}

TEST_F(StepsTest, ReadAllFailures)
{
    press(&S::readAll);
    EXPECT_EQ(said(), std::vector<std::string>{"查询数目失败 !"});

    auto &reader = connectedReader(0);
    press(&S::readAll);
    EXPECT_EQ(said(), std::vector<std::string>{"查询数目为 0 !"});
    toolkit.forget();

    reader.setRecords(kestsim::sampleRecords(5));
    reader.addFault({kestsim::FaultKind::NoReply, kReadRecord, 3, 1u});
    press(&S::readAll);
    EXPECT_EQ(said(), std::vector<std::string>{"读取不成功 !"});
    EXPECT_EQ(rows().size(), 2u) << "rows read before the failure stay";
    EXPECT_EQ(view.bar, 20) << "the bar stays where it was";
}

TEST_F(StepsTest, RowTextsShowTheRecord)
{
    auto &reader = connectedReader(0);
    const auto flagged = kestsim::makeRecord("999 012345678901", {2024, 1, 27, 13, 12, 7}, 2);
    const auto plain = kestsim::makeRecord("123 000000000042", {2031, 12, 31, 23, 59, 58}, 0);
    reader.setRecords({flagged, plain});
    press(&S::readAll);
    ASSERT_EQ(rows().size(), 2u);
    EXPECT_EQ(rows()[0], (RowTexts{"00001", "999 012345678901", "2024/01/27 13:12:07", "2"}));
    EXPECT_EQ(rows()[1].time, "2031/12/31 23:59:58");
    EXPECT_EQ(rows()[1].flag, " ");
}

TEST_F(StepsTest, ReadOneChecksTheNumber)
{
    auto &reader = connectedReader(30);
    type(Field::SingleNumber, "0");
    press(&S::readOne);
    EXPECT_EQ(said(), (std::vector<std::string>{"请输入一个介于 1 和 20000 之间的整数。", "数据不能为0 !"}));
    EXPECT_EQ(view.selected, Field::SingleNumber);
    EXPECT_EQ(reader.requestCount(), 0u);
    toolkit.forget();

    // 20001 fails its check but is kept, and the reader is asked for it.
    type(Field::SingleNumber, "20001");
    press(&S::readOne);
    EXPECT_EQ(said(), (std::vector<std::string>{"请输入一个介于 1 和 20000 之间的整数。", "读取失败！"}));
    EXPECT_EQ(recordNumbersAsked(reader), std::vector<int>{20000});
    toolkit.forget();

    type(Field::SingleNumber, "7");
    press(&S::readOne);
    EXPECT_TRUE(said().empty());
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_EQ(rows()[0].sequence, "00007") << "numbered by its record number";
    EXPECT_TRUE(view.progress.empty()) << "read one leaves the bar alone";

    press(&S::disconnect);
    press(&S::readOne);
    EXPECT_EQ(said(), std::vector<std::string>{"读取失败！"});
}

TEST_F(StepsTest, ReadRangeChecksInOrder)
{
    connectedReader(4);
    struct Case {
        const char *start, *end;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        // The fields are read up to the start, so the end keeps its earlier 1.
        {"0", "2", {"请输入一个介于 1 和 20000 之间的整数。", "起始条数或结束条数不能为0 !"}},
        {"5", "3", {"结束条数不能小于起始条数 !"}},
        {"1", "5", {"结束条数不能超过总条数 !"}},
        {"3", "3", {}},
    };
    for (const auto &c : cases) {
        toolkit.forget();
        type(Field::RangeStart, c.start);
        type(Field::RangeEnd, c.end);
        press(&S::readRange);
        EXPECT_EQ(said(), c.messages) << c.start << ".." << c.end;
    }
    EXPECT_EQ(rows().size(), 1u);
}

TEST_F(StepsTest, ReadRangeOver20000IsRefused)
{
    auto &reader = connectedReader(0);
    reader.setRecords(std::vector<kestsim::Record>(20005, kestsim::sampleRecords(1)[0]));
    type(Field::RangeStart, "19999");
    type(Field::RangeEnd, "20001"); // fails its check but is kept
    press(&S::readRange);
    EXPECT_EQ(said(), (std::vector<std::string>{"请输入一个介于 1 和 20000 之间的整数。",
                                                "起始条数或结束条数不能大于20000 !"}));
    EXPECT_TRUE(rows().empty());
}

TEST_F(StepsTest, ReadRangeThreeToFiveOfTen)
{
    auto &reader = connectedReader(10);
    type(Field::RangeStart, "3");
    type(Field::RangeEnd, "5");
    press(&S::readRange);
    EXPECT_TRUE(said().empty());
    EXPECT_EQ(recordNumbersAsked(reader), (std::vector<int>{2, 3, 4}));
    ASSERT_EQ(rows().size(), 3u);
    EXPECT_EQ(rows()[0].sequence, "00003");
    EXPECT_EQ(rows()[2].sequence, "00005");
    EXPECT_EQ(view.progress, (std::vector<int>{0, 10, 20, 100})) << "against the reader's 10, then 100";
}

TEST_F(StepsTest, ReadRangeWithoutReader)
{
    press(&S::readRange);
    EXPECT_EQ(said(), std::vector<std::string>{"查询数目失败 !"});
}

} // namespace kestrix::test

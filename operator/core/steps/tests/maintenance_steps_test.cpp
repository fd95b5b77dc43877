// SPDX-License-Identifier: MIT
// The reader's clock, erasing its records, clearing the list.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "steps_fixture.h"

namespace kestrix::test {

namespace {
constexpr std::uint8_t kSetTime = 0x05;
constexpr std::uint8_t kDeleteAll = 0x02;

using S = KestrixController;
} // namespace

TEST_F(StepsTest, SetTimeSendsThePcsLocalTime)
{
    auto &reader = connectedReader(1);
    toolkit.now = LocalTime{2031, 7, 4, 9, 5, 3};
    press(&S::setTime);
    EXPECT_TRUE(said().empty()) << "success shows nothing";
    const auto frames = reader.requests();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code(), kSetTime);
    EXPECT_EQ(std::vector<std::uint8_t>(frames[0].bytes.begin() + 3, frames[0].bytes.begin() + 10),
              (std::vector<std::uint8_t>{0x20, 0x31, 0x07, 0x04, 0x09, 0x05, 0x03}));
    EXPECT_EQ(reader.clock().year, 31);

    press(&S::disconnect);
    press(&S::setTime);
    EXPECT_EQ(said(), std::vector<std::string>{"设置时间失败 !"});
}

TEST_F(StepsTest, EraseAnsweredNoSendsNothing)
{
    auto &reader = connectedReader(5);
    press(&S::deleteAll);
    EXPECT_EQ(toolkit.questions, std::vector<std::string>{"Delete all data ?"});
    EXPECT_TRUE(said().empty());
    EXPECT_TRUE(toolkit.beeps.empty());
    EXPECT_EQ(reader.requestCount(), 0u);
    EXPECT_EQ(reader.records().size(), 5u);
}

TEST_F(StepsTest, EraseAnsweredYesThenBeeps)
{
    auto &reader = connectedReader(5);
    press(&S::readAll);
    toolkit.forget();
    toolkit.answers = {true};
    press(&S::deleteAll);
    EXPECT_EQ(toolkit.events,
              (std::vector<std::string>{"question: Delete all data ?", "message: 删除所有数据成功 !", "beep"}));
    EXPECT_EQ(toolkit.beeps, (std::vector<std::pair<int, int>>{{1000, 500}}));
    EXPECT_EQ(reader.requestCodes(), (std::vector<std::uint8_t>{0x04, 0x01, 0x01, 0x01, 0x01, 0x01, kDeleteAll}));
    EXPECT_TRUE(reader.records().empty());
    EXPECT_EQ(rows().size(), 5u) << "the list is not the reader";
}

TEST_F(StepsTest, EraseWhileDisconnectedStillBeeps)
{
    toolkit.answers = {true};
    press(&S::deleteAll);
    EXPECT_EQ(toolkit.events,
              (std::vector<std::string>{"question: Delete all data ?", "message: 删除所有数据失败 !", "beep"}));
}

TEST_F(StepsTest, ClearEmptiesTheListOnly)
{
    auto &reader = connectedReader(3);
    press(&S::readAll);
    type(Field::SingleNumber, "9");
    reader.clearRequests();
    const auto resets = view.resets;
    press(&S::clearList);
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(view.resets, resets + 1) << "the view is told the list changed";
    EXPECT_EQ(view.rowsShown, 0u);
    EXPECT_EQ(view.bar, 100);
    EXPECT_EQ(view.fields[Field::SingleNumber], "9");
    EXPECT_EQ(reader.requestCount(), 0u);
}

} // namespace kestrix::test

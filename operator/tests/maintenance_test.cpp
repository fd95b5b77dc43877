// The reader's clock, erasing its records, clearing the list.
#include "dialog_fixture.h"

namespace kestrix {

namespace {
constexpr std::uint8_t kSetTime = 0x05;
constexpr std::uint8_t kDeleteAll = 0x02;
} // namespace

TEST_F(DialogTest, SetTimeSendsThePcsLocalTime)
{
    auto &reader = connectedReader(1);
    toolkit.now = QDateTime(QDate(2031, 7, 4), QTime(9, 5, 3));
    press(IDC_SET_TIME);
    EXPECT_TRUE(said().empty()) << "success shows nothing";
    const auto frames = reader.requests();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code(), kSetTime);
    EXPECT_EQ(std::vector<std::uint8_t>(frames[0].bytes.begin() + 3, frames[0].bytes.begin() + 10),
              (std::vector<std::uint8_t>{0x20, 0x31, 0x07, 0x04, 0x09, 0x05, 0x03}));
    EXPECT_EQ(reader.clock().year, 31);

    press(IDC_DISCONNECT);
    press(IDC_SET_TIME);
    EXPECT_EQ(said(), texts({"设置时间失败 !"}));
}

TEST_F(DialogTest, EraseAnsweredNoSendsNothing)
{
    auto &reader = connectedReader(5);
    press(IDC_DELETE_ALL);
    EXPECT_EQ(toolkit.questions, std::vector<QString>{"Delete all data ?"});
    EXPECT_TRUE(said().empty());
    EXPECT_TRUE(toolkit.beeps.empty());
    EXPECT_EQ(reader.requestCount(), 0u);
    EXPECT_EQ(reader.records().size(), 5u);
}

TEST_F(DialogTest, EraseAnsweredYesThenBeeps)
{
    auto &reader = connectedReader(5);
    press(IDC_READ_ALL);
    toolkit.forget();
    toolkit.answers = {true};
    press(IDC_DELETE_ALL);
    EXPECT_EQ(toolkit.events, (std::vector<std::string>{"question: Delete all data ?",
                                                       "message: 删除所有数据成功 !", "beep"}));
    EXPECT_EQ(toolkit.beeps, (std::vector<std::pair<int, int>>{{1000, 500}}));
    EXPECT_EQ(reader.requestCodes(), (std::vector<std::uint8_t>{0x04, 0x01, 0x01, 0x01, 0x01, 0x01, kDeleteAll}));
    EXPECT_TRUE(reader.records().empty());
    EXPECT_EQ(rows(), 5) << "the list is not the reader";
}

TEST_F(DialogTest, EraseWhileDisconnectedStillBeeps)
{
    toolkit.answers = {true};
    press(IDC_DELETE_ALL);
    EXPECT_EQ(toolkit.events,
              (std::vector<std::string>{"question: Delete all data ?", "message: 删除所有数据失败 !", "beep"}));
}

TEST_F(DialogTest, ClearEmptiesTheListOnly)
{
    auto &reader = connectedReader(3);
    press(IDC_READ_ALL);
    type(IDC_SINGLE_NUMBER, "9");
    reader.clearRequests();
    press(IDC_CLEAR_LIST);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(dialog->progressBar()->value(), 100);
    EXPECT_EQ(dialog->edit(IDC_SINGLE_NUMBER)->text(), "9");
    EXPECT_EQ(reader.requestCount(), 0u);
}

} // namespace kestrix

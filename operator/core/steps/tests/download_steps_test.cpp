// SPDX-License-Identifier: MIT
// Downloads on the worker: the controls stay busy throughout, clicks meanwhile
// are dropped, Esc stops them between records and says how many came, and
// the end of the session stops them without a word.
#include <thread>

#include "steps_fixture.h"

namespace kestrix::test {

namespace {
using S = KestrixController;
using namespace std::chrono_literals;

// Runs posted work until the list holds at least n rows.
void runUntilRows(ScriptedToolkit &toolkit, const KestrixController &steps, std::size_t n)
{
    ASSERT_TRUE(toolkit.runUntil([&] { return steps.records().size() >= n; }));
}
} // namespace

TEST_F(StepsTest, BusyFromTheFirstTransactionToTheLastMessage)
{
    connectedReader(5);
    view.busyChanges.clear();
    steps->readAll();
    EXPECT_TRUE(view.busy) << "busy before the worker has even asked for the count";
    settle();
    EXPECT_FALSE(view.busy);
    EXPECT_EQ(view.busyChanges, (std::vector<bool>{true, false})) << "one busy spell for count and records";
}

TEST_F(StepsTest, AClickDuringADownloadIsDroppedNotKept)
{
    auto &reader = connectedReader(20);
    steps->readAll();
    runUntilRows(toolkit, *steps, 2);
    // What the operator presses meanwhile; the dialog has these disabled,
    // and the steps refuse them too.
    steps->readAll();
    steps->clearList();
    steps->connect();
    settle();
    EXPECT_EQ(rows().size(), 20u) << "one download, not two, and the list not cleared";
    toolkit.runPending();
    EXPECT_FALSE(steps->busy());
    EXPECT_EQ(rows().size(), 20u) << "nothing ran afterwards either";
    EXPECT_TRUE(said().empty());
    std::size_t handshakes = 0;
    for (const auto &frame : reader.requests())
        handshakes += frame.code() == 0x00;
    EXPECT_EQ(handshakes, 0u);
}

TEST_F(StepsTest, EscapeStopsReadAllAfterTheRecordInHandAndKeepsTheRows)
{
    auto &reader = connectedReader(300);
    steps->readAll();
    runUntilRows(toolkit, *steps, 5);
    steps->escape();
    settle();
    const std::size_t kept = rows().size();
    EXPECT_GE(kept, 5u);
    EXPECT_LT(kept, 300u);
    EXPECT_EQ(said(), std::vector<std::string>{"读取已停止，共读取 " + std::to_string(kept) + " 条记录 !"});
    EXPECT_FALSE(view.closed) << "the dialog stays open";
    std::size_t reads = 0;
    for (const auto &frame : reader.requests())
        reads += frame.code() == 0x01;
    EXPECT_EQ(reads, kept) << "no record was read and then dropped";
    for (std::size_t r = 0; r < kept; ++r)
        EXPECT_EQ(rows()[r].sequence, sequenceText(static_cast<std::int32_t>(r) + 1));

    // The next download starts afresh.
    toolkit.forget();
    press(&S::readAll);
    EXPECT_EQ(rows().size(), kept + 300);
    EXPECT_TRUE(said().empty());
}

TEST_F(StepsTest, EscapeStopsReadRangeAndTheComparisonDownloadToo)
{
    connectedReader(200);
    type(Field::RangeStart, "1");
    type(Field::RangeEnd, "200");
    steps->readRange();
    runUntilRows(toolkit, *steps, 3);
    steps->escape();
    settle();
    const std::size_t kept = rows().size();
    EXPECT_EQ(said(), std::vector<std::string>{"读取已停止，共读取 " + std::to_string(kept) + " 条记录 !"});
    toolkit.forget();

    table.count = 200;
    steps->downloadCompareList();
    ASSERT_TRUE(toolkit.runUntil([this] { return view.bar >= 2; }));
    steps->escape();
    settle();
    ASSERT_EQ(said().size(), 1u);
    EXPECT_EQ(said()[0].rfind("下载已停止，共下载 ", 0), 0u) << said()[0];
    EXPECT_EQ(sim.reader(3).compareList().size(),
              std::stoul(said()[0].substr(std::string("下载已停止，共下载 ").size())))
        << "the message counts the entries the reader holds";
}

TEST_F(StepsTest, EscapeWhenIdleClosesAndDuringAShortCommandDoesNothing)
{
    connectedReader(3);
    steps->queryCount();
    steps->escape(); // a count is no download: nothing to stop, and no closing meanwhile
    settle();
    EXPECT_FALSE(view.closed);
    steps->escape();
    EXPECT_TRUE(view.closed);
}

TEST_F(StepsTest, TheEndOfTheSessionStopsADownloadSilently)
{
    auto &reader = connectedReader(300);
    steps->readAll();
    runUntilRows(toolkit, *steps, 3);
    steps->shutdown(); // waits for the record in hand
    const auto asked = reader.requestCount();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(reader.requestCount(), asked) << "nothing more goes to the reader";
    toolkit.runPending();
    EXPECT_TRUE(said().empty()) << "nothing is shown after the session ended";
    steps.reset();
}

TEST_F(StepsTest, AReadThatFailsMidwayKeepsTheRowsReadBeforeIt)
{
    auto &reader = connectedReader(50);
    reader.addFault({kestsim::FaultKind::NoReply, 0x01, 10, 1u});
    press(&S::readAll);
    EXPECT_EQ(said(), std::vector<std::string>{"读取不成功 !"});
    EXPECT_EQ(rows().size(), 9u);
}

// A cable pulled mid-download: the rows read stay, one message says how many
// came and that the connection is gone, and connecting finds the reader on
// its new terminal.
TEST_F(StepsTest, AReaderPulledMidDownloadKeepsTheRowsAndIsFoundAgain)
{
    auto &reader = connectedReader(50);
    reader.addFault({kestsim::FaultKind::HangUp, 0x01, 10, 1u});
    press(&S::readAll);
    EXPECT_EQ(said(), std::vector<std::string>{"与读卡器的连接已断开，共读取 9 条记录 !\n"
                                               "已读取的记录仍在列表中。请检查连线，然后按“连接设备”重新连接。"});
    EXPECT_EQ(rows().size(), 9u);
    toolkit.forget();

    press(&S::queryCount);
    EXPECT_EQ(said(), std::vector<std::string>{"查询数目失败！"}) << "nothing passes until the next connect";
    toolkit.forget();
    std::this_thread::sleep_for(std::chrono::milliseconds(150)); // the reader comes back
    press(&S::connect);
    EXPECT_EQ(said(), std::vector<std::string>{"连接成功！"});
    toolkit.forget();
    press(&S::readAll);
    EXPECT_EQ(rows().size(), 9u + 50u) << "the list keeps what it had and takes the new download";
}

} // namespace kestrix::test

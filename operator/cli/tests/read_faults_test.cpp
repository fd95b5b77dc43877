// SPDX-License-Identifier: MIT
// kestlink read with impolite peers: Ctrl-C, a reader that hangs up, a port
// that does not answer, a full disk, output that goes away. What matters is
// what is left afterwards: the file, the exit status, the next run.
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "tool_fixture.h"

namespace kestlink_cli::test {
namespace {

using ReadFaultsTest = ToolTest;

std::size_t rowsIn(const std::string &csv)
{
    const std::string text = kestrix::test::readFile(csv);
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) - 1; // less the header
}

TEST_F(ReadFaultsTest, CtrlCStopsAfterTheRecordInHandAndKeepsWhatCame)
{
    auto &reader = addReader(2000);
    const std::string csv = dir.file("stopped.csv");
    Tool tool({"read", "--csv", csv});
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(tool.readLine()) << tool.errors();
    tool.signal(SIGINT);
    EXPECT_EQ(tool.wait(), 130) << tool.errors();

    const std::size_t printed = lines(tool.output()).size();
    EXPECT_GE(printed, 5u);
    EXPECT_LT(printed, 2000u);
    EXPECT_NE(tool.errors().find("读取已停止，共读取 " + std::to_string(printed) + " 条记录 !"), std::string::npos)
        << tool.errors();
    EXPECT_EQ(rowsIn(csv), printed);
    // It stopped between records: every record asked for was printed.
    const auto codes = reader.requestCodes();
    EXPECT_EQ(static_cast<std::size_t>(std::count(codes.begin(), codes.end(), 0x01)), printed);

    // The reader is free again for the next run.
    const ToolResult next = runTool({"read", "--first", "1", "--last", "3", "--csv", csv, "-q"});
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(rowsIn(csv), printed + 3);
}

TEST_F(ReadFaultsTest, CtrlCDuringTheSearchLeavesNoFileBehind)
{
    for (int n = 3; n <= 9; ++n)
        sim.addSilentTerminal(n);
    const std::string csv = dir.file("never.csv");
    Tool tool({"read", "--csv", csv});
    // The search is under way once COM3 has been given the handshake.
    for (int i = 0; i < 500 && sim.reader(3).requestCount() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(kestrix::test::exists(csv)); // opened before the reader is looked for
    tool.signal(SIGINT);
    EXPECT_EQ(tool.wait(), 130) << tool.errors();
    EXPECT_FALSE(kestrix::test::exists(csv));
}

TEST_F(ReadFaultsTest, AReaderThatHangsUpKeepsTheRowsBeforeAndTheNextRunWorks)
{
    auto &reader = addReader(20);
    reader.addFault({kestsim::FaultKind::HangUp, 0x01, 10, 1u});
    const std::string csv = dir.file("hangup.csv");
    const ToolResult run = runTool({"read", "--csv", csv});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("COM3"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("与读卡器的连接已断开，共读取 9 条记录 ! (record 10 of 20)"), std::string::npos) << run.err;
    EXPECT_EQ(lines(run.out).size(), 9u);
    EXPECT_EQ(rowsIn(csv), 9u);

    // COM3 leads to a new terminal shortly after the hang-up.
    for (int i = 0; i < 100 && !std::filesystem::exists(sim.portPath(3)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const ToolResult next = runTool({"count"});
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(next.out, "20\n");
}

TEST_F(ReadFaultsTest, APortThatDoesNotAnswer)
{
    sim.addSilentTerminal(3);
    // Alone: nothing is found.
    const ToolResult none = runTool({"read"});
    EXPECT_EQ(none.status, 1);
    // Each port tried, with its reason in the operator's words.
    EXPECT_EQ(none.err.rfind("kestlink: 连接失败！\n  COM3：没有应答\n  COM4：没有此端口\n", 0), 0u) << none.err;
    EXPECT_NE(none.err.find("\n  COM9：没有此端口\n"), std::string::npos) << none.err;

    // With a reader behind it, the search goes on to it; --port does not.
    addReader(4, 5);
    const ToolResult found = runTool({"count"});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.out, "4\n");
    const ToolResult silent = runTool({"read", "--port", "COM3"});
    EXPECT_EQ(silent.status, 1);
    EXPECT_NE(silent.err.find("COM3 (" + sim.portPath(3).string() + "): the reader did not answer the handshake"),
              std::string::npos)
        << silent.err;
}

TEST_F(ReadFaultsTest, AFullDiskLeavesTheFileAsItWas)
{
    addReader(20);
    const std::string csv = dir.file("full.csv");
    const ToolResult first = runTool({"read", "--last", "2", "--csv", csv, "-q"});
    ASSERT_EQ(first.status, 0) << first.err;
    const std::string before = kestrix::test::readFile(csv);

    // Room for about three more rows of the twenty.
    ToolSetup limited;
    limited.fileSizeLimit = before.size() + 150;
    const ToolResult full = runTool({"read", "--csv", csv}, limited);
    EXPECT_EQ(full.status, 3);
    EXPECT_NE(full.err.find(csv), std::string::npos) << full.err;
    EXPECT_NE(full.err.find("文件未改动"), std::string::npos) << full.err;
    EXPECT_EQ(lines(full.out).size(), 20u); // standard output is not the file
    EXPECT_EQ(kestrix::test::readFile(csv), before);

    // A new file on the full disk is taken away again.
    const std::string fresh = dir.file("fresh.csv");
    limited.fileSizeLimit = 30;
    EXPECT_EQ(runTool({"read", "--csv", fresh}, limited).status, 3);
    EXPECT_FALSE(kestrix::test::exists(fresh));

    // With room again the next run appends after the rows that were there.
    const ToolResult next = runTool({"read", "--csv", csv, "-q"});
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(kestrix::test::readFile(csv).substr(0, before.size()), before);
    EXPECT_EQ(rowsIn(csv), 22u);
}

TEST_F(ReadFaultsTest, NamesThatAreNoFileAreRefusedBeforeTheReaderIsAsked)
{
    auto &reader = addReader(5);
    const std::string fifo = dir.file("pipe.csv");
    kestrix::test::makeFifo(fifo);
    const struct {
        std::string name;
        const char *why;
    } cases[] = {
        {fifo, "这是一个管道"},
        {"/dev/full", "这是一个设备"},
        {dir.path(), "文件夹"},
        {dir.file("no-such-folder/x.csv"), "文件夹不存在"},
    };
    for (const auto &c : cases) {
        reader.clearRequests();
        const ToolResult run = runTool({"read", "--csv", c.name});
        EXPECT_EQ(run.status, 3) << c.name;
        EXPECT_NE(run.err.find("“" + c.name + "”"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.why), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(reader.requestCount(), 0u) << c.name;
    }
}

TEST_F(ReadFaultsTest, OutputThatGoesAwayEndsTheReadAndTheFileKeepsWhatCame)
{
    addReader(400);
    const std::string csv = dir.file("piped.csv");
    Tool tool({"read", "--csv", csv});
    ASSERT_TRUE(tool.readLine()) << tool.errors();
    tool.closeOutput(); // `kestlink read | head -1`
    EXPECT_EQ(tool.wait(), 3);
    EXPECT_NE(tool.errors().find("standard output: Broken pipe"), std::string::npos) << tool.errors();
    const std::size_t kept = rowsIn(csv);
    EXPECT_GE(kept, 1u);
    EXPECT_LT(kept, 400u);
}

} // namespace
} // namespace kestlink_cli::test

// SPDX-License-Identifier: MIT
// The reader's other commands from the command line: the clock, erasing,
// the comparison list, the domain and the key, the ports.
#include <signal.h>

#include <ctime>

#include "tool_fixture.h"

namespace kestlink_cli::test {
namespace {

using ReaderCommandsTest = ToolTest;

TEST_F(ReaderCommandsTest, SetClockToTheTimeGivenOrNow)
{
    auto &reader = addReader(1);
    const ToolResult given = runTool({"set-clock", "--time", "2031-12-31 23:59:58"});
    EXPECT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(reader.clock(), (kestsim::ReaderClock{0x20, 31, 12, 31, 23, 59, 58}));

    const std::time_t before = std::time(nullptr);
    ASSERT_EQ(runTool({"set-clock"}).status, 0);
    std::tm now{};
    ::localtime_r(&before, &now);
    const auto clock = reader.clock();
    EXPECT_EQ(clock.year, now.tm_year % 100);
    EXPECT_EQ(clock.month, now.tm_mon + 1);
    EXPECT_EQ(clock.day, now.tm_mday);
    EXPECT_EQ(clock.hour, now.tm_hour);

    reader.addFault({kestsim::FaultKind::BadStatus, 0x05, 1, 1u});
    const ToolResult refused = runTool({"set-clock"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("COM3"), std::string::npos);
    EXPECT_NE(refused.err.find("设置时间失败 !"), std::string::npos) << refused.err;
}

TEST_F(ReaderCommandsTest, EraseAsksOnATerminal)
{
    auto &reader = addReader(6);
    ToolSetup terminal;
    terminal.onTerminal = true;
    const struct {
        const char *answer;
        std::size_t recordsLeft;
        const char *said;
    } answers[] = {
        {"n\n", 6, "nothing erased"},
        {"\n", 6, "nothing erased"},
        {"y\n", 0, "删除所有数据成功 !"},
    };
    for (const auto &a : answers) {
        Tool tool({"erase"}, terminal);
        ASSERT_TRUE(tool.waitForError("Delete all data ? [y/N] ")) << tool.errors();
        tool.type(a.answer);
        EXPECT_EQ(tool.wait(), 0) << tool.errors();
        EXPECT_NE(tool.errors().find(a.said), std::string::npos) << tool.errors();
        EXPECT_EQ(reader.records().size(), a.recordsLeft);
    }
    reader.setRecords(kestsim::sampleRecords(3));
    EXPECT_EQ(runTool({"erase", "--yes"}).status, 0);
    EXPECT_TRUE(reader.records().empty());
}

TEST_F(ReaderCommandsTest, CompareLoadSendsTheFilesCardsInOrder)
{
    auto &reader = addReader(1);
    const std::string csv = dir.file("compare.csv");
    kestrix::test::writeFile(csv, "\xd0\xf2\xba\xc5,\xbf\xa8\xba\xc5,\xca\xb1\xbc\xe4,\xb1\xea\xbc\xc7 \n"
                                  "00001,999 012345678901,2024/01/01 08:00:00, \n"
                                  "00002,999 0123,2024/01/01 08:00:17,1\r\n"
                                  "00003,999 012345678901234567,2024/01/01 08:00:18,2\n");
    const ToolResult run = runTool({"compare", "load", csv});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("下载比数据成功! (3)"), std::string::npos) << run.err;
    const auto list = reader.compareList();
    ASSERT_EQ(list.size(), 3u);
    const auto entry = [](std::string text) {
        kestsim::CompareEntry e{};
        std::copy(text.begin(), text.end(), e.begin());
        return e;
    };
    EXPECT_EQ(list.at(0), entry("999 012345678901"));
    EXPECT_EQ(list.at(1), entry("999 0123"));
    EXPECT_EQ(list.at(2), entry("999 012345678901")); // cut to 16

    const ToolResult missing = runTool({"compare", "load", dir.file("none.csv")});
    EXPECT_EQ(missing.status, 3);
    EXPECT_NE(missing.err.find(dir.file("none.csv")), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("文件不存在"), std::string::npos) << missing.err;

    reader.addFault({kestsim::FaultKind::NoReply, 0x06, 2, 1u});
    const ToolResult failed = runTool({"compare", "load", csv});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("下载比数据失败! (entry 2 of 3)"), std::string::npos) << failed.err;

    EXPECT_EQ(runTool({"compare", "erase", "--yes"}).status, 0);
    EXPECT_TRUE(reader.compareList().empty());
}

TEST_F(ReaderCommandsTest, CtrlCStopsACompareDownload)
{
    auto &reader = addReader(1);
    std::string text = "header\n";
    for (int i = 0; i < 1000; ++i)
        text += "00001,999 01234567" + std::to_string(1000 + i) + ",2024/01/01 08:00:00, \n";
    const std::string csv = dir.file("long.csv");
    kestrix::test::writeFile(csv, text);
    ToolSetup terminal;
    terminal.onTerminal = true;
    Tool tool({"compare", "load", csv}, terminal);
    ASSERT_TRUE(tool.waitForError("3/1000 [")) << tool.errors();
    tool.signal(SIGINT);
    EXPECT_EQ(tool.wait(), 130);
    const std::size_t held = reader.compareList().size();
    EXPECT_GE(held, 3u);
    EXPECT_LT(held, 1000u);
    EXPECT_NE(tool.errors().find("下载已停止，共下载 " + std::to_string(held) + " 条对比数据 !"), std::string::npos)
        << tool.errors();
}

TEST_F(ReaderCommandsTest, DomainAndKeyBothWays)
{
    auto &reader = addReader(1);
    const std::string domain = "000102030405060708090a0b0c0d0e0f10111213";
    const std::string key = "ffeeddccbbaa99887766554433221100"; // 16 bytes: one too many
    EXPECT_EQ(runTool({"domain", "set", domain}).status, 0);
    EXPECT_EQ(reader.domain()[19], 0x13);
    const ToolResult gotDomain = runTool({"domain", "get"});
    EXPECT_EQ(gotDomain.status, 0) << gotDomain.err;
    EXPECT_EQ(gotDomain.out, domain + "\n");

    EXPECT_EQ(runTool({"key", "set", key}).status, 2);
    EXPECT_EQ(runTool({"key", "set", key.substr(0, 30)}).status, 0);
    EXPECT_EQ(reader.key()[0], 0xFF);
    const ToolResult gotKey = runTool({"key", "get"});
    EXPECT_EQ(gotKey.out, key.substr(0, 30) + "\n");
}

TEST_F(ReaderCommandsTest, PortsSaysWhereEachLeadsAndWhichAnswers)
{
    sim.addSilentTerminal(4);
    addReader(2, 6);
    addReader(2, 8);
    const ToolResult run = runTool({"ports"});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto got = lines(run.out);
    ASSERT_EQ(got.size(), 7u);
    const auto port = [this](int n) { return "COM" + std::to_string(n) + "\tCOM port\t" + sim.portPath(n).string(); };
    EXPECT_EQ(got[0], port(3) + "\tno such port");
    EXPECT_EQ(got[1], port(4) + " -> " + sim.terminalPath(4) + "\tno answer to the handshake");
    EXPECT_EQ(got[3], port(6) + " -> " + sim.terminalPath(6) + "\tthe reader answers (used)");
    EXPECT_EQ(got[5], port(8) + " -> " + sim.terminalPath(8) + "\tthe reader answers");

    // One port by its device path.
    const ToolResult one = runTool({"ports", "--port", sim.terminalPath(8)});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out,
              sim.terminalPath(8) + "\tnamed with --port\t" + sim.terminalPath(8) + "\tthe reader answers (used)\n");
    const ToolResult byPath = runTool({"count", "--port", sim.terminalPath(8)});
    EXPECT_EQ(byPath.out, "2\n") << byPath.err;

    sim.removeReader(6);
    sim.removeReader(8);
    EXPECT_EQ(runTool({"ports"}).status, 1);
}

} // namespace
} // namespace kestlink_cli::test

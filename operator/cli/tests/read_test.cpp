// SPDX-License-Identifier: MIT
// kestlink read against a healthy virtual reader: what it prints, the CSV it
// appends, ranges, duplicates.
#include <algorithm>
#include <cstring>

#include "csv_export.h"
#include "tool_fixture.h"

namespace kestlink_cli::test {
namespace {

using ReadTest = ToolTest;

// The rows of the sample records as the list holds them, numbered from first.
std::vector<kestrix::RowTexts> rowsOf(const std::vector<kestsim::Record> &records, int first)
{
    std::vector<kestrix::RowTexts> rows;
    for (const auto &record : records) {
        TagRecord tag;
        std::memcpy(&tag, record.data(), sizeof tag);
        rows.push_back(kestrix::rowFromRecord(tag, first + static_cast<int>(rows.size())));
    }
    return rows;
}

// The bytes the dialog's save gives these rows, appended to `before`.
std::string savedBytes(const std::string &before, const std::vector<kestrix::RowTexts> &rows, const std::string &path)
{
    kestrix::test::writeFile(path, before);
    EXPECT_TRUE(kestrix::appendRowsToCsv(path, rows).saved);
    return kestrix::test::readFile(path);
}

TEST_F(ReadTest, CountAndAllRecordsOneALine)
{
    addReader(12);
    const ToolResult count = runTool({"count"});
    EXPECT_EQ(count.status, 0) << count.err;
    EXPECT_EQ(count.out, "12\n");

    const ToolResult read = runTool({"read"});
    EXPECT_EQ(read.status, 0) << read.err;
    const auto got = lines(read.out);
    ASSERT_EQ(got.size(), 12u);
    EXPECT_EQ(got[0], "00001\t999 012345678901\t2024/01/01 08:00:00\t ");
    EXPECT_EQ(got[1], "00002\t999 012346414880\t2024/01/01 08:00:17\t1");
    EXPECT_EQ(got[11].substr(0, 6), "00012\t");
    // Standard error is no terminal: no bar, and nothing else to say.
    EXPECT_EQ(read.err, "");
}

TEST_F(ReadTest, RangesAndTheirRefusals)
{
    addReader(12);
    const struct {
        std::vector<std::string> args;
        int status;
        std::vector<std::string> firstAndLast; // sequence numbers printed
        const char *said;
    } cases[] = {
        {{"--first", "3", "--last", "5"}, 0, {"00003", "00005"}, ""},
        {{"--first", "11"}, 0, {"00011", "00012"}, ""},
        {{"--last", "2"}, 0, {"00001", "00002"}, ""},
        {{"--first", "5", "--last", "3"}, 2, {}, "结束条数不能小于起始条数 !"},
        {{"--first", "3", "--last", "13"}, 2, {}, "结束条数不能超过总条数 !"},
        {{"--first", "0", "--last", "3"}, 2, {}, "起始条数或结束条数不能为0 !"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args{"read"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ToolResult run = runTool(args);
        EXPECT_EQ(run.status, c.status) << c.args[1] << run.err;
        const auto got = lines(run.out);
        if (c.firstAndLast.empty()) {
            EXPECT_TRUE(got.empty());
            EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
            EXPECT_NE(run.err.find("COM3"), std::string::npos) << run.err;
        } else {
            ASSERT_FALSE(got.empty());
            EXPECT_EQ(got.front().substr(0, 5), c.firstAndLast[0]);
            EXPECT_EQ(got.back().substr(0, 5), c.firstAndLast[1]);
        }
    }
}

TEST_F(ReadTest, AnEmptyReaderSaysSoAndSucceeds)
{
    addReader(0);
    const ToolResult count = runTool({"count"});
    EXPECT_EQ(count.out, "0\n");
    const ToolResult read = runTool({"read"});
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(read.out, "");
    EXPECT_NE(read.err.find("查询数目为 0 !"), std::string::npos) << read.err;
}

TEST_F(ReadTest, CsvAppendsTheBytesOfTheDialogsSave)
{
    const auto records = kestsim::sampleRecords(7);
    addReader(records);
    const std::string csv = dir.file("records.csv");
    const std::string oracle = dir.file("oracle.csv");
    const auto rows = rowsOf(records, 1);

    // Into a new file: the header, then the rows; a second run appends them
    // again without a second header.
    ASSERT_EQ(runTool({"read", "--csv", csv, "--quiet"}).status, 0);
    const std::string once = savedBytes("", rows, oracle);
    EXPECT_EQ(kestrix::test::readFile(csv), once);
    const ToolResult again = runTool({"read", "--csv", csv});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find(csv), std::string::npos);
    EXPECT_EQ(kestrix::test::readFile(csv), savedBytes(once, rows, oracle));
    EXPECT_EQ(lines(again.out).size(), 7u); // the rows still go to standard output
}

TEST_F(ReadTest, DedupKeepsTheLastOfEachCardRenumbered)
{
    const auto record = [](const char *card, int minute) {
        return kestsim::makeRecord(card, {2024, 1, 1, 8, minute, 0}, 0);
    };
    // Cards A, B, A, C, B.
    addReader({record("999 000000000001", 1), record("999 000000000002", 2), record("999 000000000001", 3),
               record("999 000000000003", 4), record("999 000000000002", 5)});
    const std::string csv = dir.file("dedup.csv");
    const ToolResult run = runTool({"read", "--dedup", "--csv", csv, "-q"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(lines(run.out), (std::vector<std::string>{
                                  "00001\t999 000000000001\t2024/01/01 08:03:00\t ",
                                  "00002\t999 000000000003\t2024/01/01 08:04:00\t ",
                                  "00003\t999 000000000002\t2024/01/01 08:05:00\t ",
                              }));
    const std::string text = kestrix::test::readFile(csv);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4); // the header and the three rows
    EXPECT_NE(text.find("00003,999 000000000002,2024/01/01 08:05:00, \n"), std::string::npos);
}

TEST_F(ReadTest, JsonKeepsTheCardsBytes)
{
    auto odd = kestsim::makeRecord("999 012345678901", {2024, 5, 6, 7, 8, 9}, 2);
    odd[0] = 0xBF; // 卡 in GBK
    odd[1] = 0xA8;
    odd[2] = 0x01; // not printable
    addReader({kestsim::makeRecord("999 012345678901", {2024, 1, 1, 8, 0, 0}, 0), odd});
    const ToolResult run = runTool({"read", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(
        lines(run.out),
        (std::vector<std::string>{
            R"({"sequence":"00001","card":"999 012345678901","time":"2024/01/01 08:00:00","flag":" "})",
            R"({"sequence":"00002","card":"卡\u0001 012345678901","card_hex":"bfa80120303132333435363738393031","time":"2024/05/06 07:08:09","flag":"2"})",
        }));
}

TEST_F(ReadTest, ProgressOnATerminalOnlyAndNotWhenQuiet)
{
    addReader(30);
    ToolSetup terminal;
    terminal.onTerminal = true;
    const ToolResult shown = runTool({"read"}, terminal);
    EXPECT_EQ(shown.status, 0);
    EXPECT_NE(shown.err.find("30/30 [####################]"), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find("/s "), std::string::npos);
    const ToolResult quiet = runTool({"read", "--quiet"}, terminal);
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(lines(quiet.out).size(), 30u);
}

} // namespace
} // namespace kestlink_cli::test

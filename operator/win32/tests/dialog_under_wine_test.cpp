// SPDX-License-Identifier: MIT
// The Windows dialog (kestrix_dialog_probe.exe: the real CKestrixDlg from the
// resources, the real steps and kestlink.dll, a scripted toolkit) under Wine,
// driven through window messages against a virtual reader on COM3. The
// probe under test is named by KESTRIX_DIALOG_PROBE; the build registers this
// once for the 64-bit and once for the 32-bit build.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "probe_hex.h"
#include "control_ids.h"
#include "csv_export.h"
#include "kestsim/record.h"
#include "kestsim/sample_records.h"
#include "kestsim/simulator.h"
#include "kestsim/virtual_reader.h"
#include "kestsim/wire_pace.h"
#include "row_texts.h"
#include "kestrix_testing/wine/probe_process.h"
#include "kestrix_testing/wine/wine_session.h"

namespace kestrix {
namespace {

using kestrix::test::hex;
using kestrix::test::unhex;
using kestrix::test::words;

namespace fs = std::filesystem;
using kestlink::test::ProbeProcess;
using kestlink::test::WineSession;

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The Windows name Wine gives a Linux path: drive Z: is the root.
std::string windowsName(const fs::path &path)
{
    std::string name = "Z:" + fs::absolute(path).string();
    for (char &c : name)
        if (c == '/')
            c = '\\';
    return name;
}

kestsim::Record cardRecord(const std::string &card, int second, std::uint8_t flag)
{
    return kestsim::makeRecord(card, {2024, 5, 6, 7, 8, second}, flag);
}

// The rows the Linux program lists for these records: its own row texts.
std::vector<RowTexts> rowsOf(const std::vector<kestsim::Record> &records, int firstNumber = 1)
{
    std::vector<RowTexts> rows;
    for (const auto &r : records) {
        TagRecord record;
        std::memcpy(&record, r.data(), sizeof record);
        rows.push_back(rowFromRecord(record, firstNumber++));
    }
    return rows;
}

// "卡号" in GBK, then an 11-digit number: what a reader may hold.
const std::string kGbkCard = "\xBF\xA8\xBA\xC5 00000000001";

class WindowsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char *probePath = std::getenv("KESTRIX_DIALOG_PROBE");
        ASSERT_TRUE(probePath != nullptr && *probePath != '\0')
            << "KESTRIX_DIALOG_PROBE is not set: the build sets it for the tests under Wine";
        probePath_ = probePath;
        if (const auto why = WineSession::whyNotRunnable(probePath_); !why.empty())
            GTEST_SKIP() << why;
        WineSession::instance().linkPorts(sim.portDirectory());
        scratch = fs::temp_directory_path() / ("kestrix-win-" + std::to_string(::getpid()));
        fs::create_directories(scratch);
        probe = std::make_unique<ProbeProcess>(probePath_);
    }
    // A fresh dialog in a fresh probe.
    void restartProbe()
    {
        probe.reset();
        probe = std::make_unique<ProbeProcess>(probePath_);
    }
    void TearDown() override
    {
        probe.reset(); // it is told to quit, and waited for
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    }

    kestsim::VirtualReader &addReader(std::vector<kestsim::Record> records, unsigned baud = 0)
    {
        kestsim::ReaderOptions options;
        options.records = std::move(records);
        options.baud = baud;
        return sim.addReader(3, std::move(options));
    }

    // A reader on COM3, connected by pressing "连接设备".
    kestsim::VirtualReader &connectedReader(std::vector<kestsim::Record> records, unsigned baud = 0)
    {
        auto &reader = addReader(std::move(records), baud);
        click(IDC_CONNECT);
        settle();
        EXPECT_EQ(said(), std::vector<std::string>{"连接成功！"});
        forget();
        reader.clearRequests();
        return reader;
    }

    void ok(const std::string &command) { ASSERT_EQ(probe->call(command), "ok") << command; }
    void click(int id) { ok("click " + std::to_string(id)); }
    void type(int id, const std::string &utf8) { ok("settext " + std::to_string(id) + " " + hex(utf8)); }
    void forget() { ok("forget"); }
    void choose(const fs::path &file) { ok("choose " + hex(windowsName(file))); }
    // Waits until no step is busy and the dialog's queue is empty.
    void settle() { ASSERT_EQ(probe->call("idle"), "idle"); }

    std::string text(int id) { return unhex(probe->call("gettext " + std::to_string(id))); }
    bool enabled(int id) { return probe->call("enabled " + std::to_string(id)) == "1"; }
    bool visible() { return probe->call("visible") == "1"; }
    int barPosition() { return std::stoi(probe->call("pos")); }
    int rowCount() { return std::stoi(probe->call("rowcount")); }

    std::vector<std::string> said()
    {
        auto all = words(probe->call("said"));
        std::vector<std::string> texts;
        for (std::size_t i = 1; i < all.size(); ++i)
            texts.push_back(unhex(all[i]));
        return texts;
    }

    // The list as the list-view shows it (UTF-16, here UTF-8).
    std::vector<RowTexts> shownRows()
    {
        auto all = words(probe->call("rows"));
        std::vector<RowTexts> rows;
        for (std::size_t i = 1; i < all.size(); ++i) {
            std::vector<std::string> cells;
            std::istringstream in(all[i]);
            for (std::string cell; std::getline(in, cell, ',');)
                cells.push_back(unhex(cell));
            cells.resize(4);
            rows.push_back({cells[0], cells[1], cells[2], cells[3]});
        }
        return rows;
    }

    // Polls until the condition holds; false after a minute.
    static bool waitFor(const std::function<bool()> &done)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!done()) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    kestsim::Simulator sim;
    fs::path scratch;
    std::string probePath_;
    std::unique_ptr<ProbeProcess> probe;
};

// Code page 936 for the list, UTF-8 for the steps: what the list shows of a
// record whose card number holds GBK.
std::vector<RowTexts> asShown(std::vector<RowTexts> rows)
{
    for (auto &row : rows)
        if (row.cardNumber == kGbkCard)
            row.cardNumber = "卡号 00000000001";
    return rows;
}

TEST_F(WindowsDialogTest, ConnectCountAndReadAllWithTheBar)
{
    auto records = kestsim::sampleRecords(150);
    records[7] = cardRecord(kGbkCard, 9, 1);
    // Paced as the wire is, so that the download can be watched.
    auto &reader = connectedReader(records, kestsim::WirePace::kDefaultBaud);

    click(IDC_QUERY_COUNT);
    settle();
    EXPECT_EQ(text(IDC_RECORD_COUNT), "150");
    EXPECT_TRUE(said().empty());

    click(IDC_READ_ALL);
    std::vector<int> positions;
    bool deadButtons = true;
    while (!enabled(IDC_READ_ALL)) {
        positions.push_back(barPosition());
        // The buttons come back all at once: one seen alive while 读取数据
        // is still dead took clicks during the download.
        bool anyAlive = false;
        for (int id : {IDOK, IDC_CONNECT, IDC_SAVE_FILE, IDC_READ_ONE, IDC_CLEAR_LIST})
            anyAlive = enabled(id) || anyAlive;
        deadButtons = deadButtons && !(anyAlive && !enabled(IDC_READ_ALL));
        // A look every 10 ms: looking without a pause would take the CPU from
        // the virtual reader's pacing, whose 20 ms of silence mid-reply the
        // library rightly takes for the reply's end, when tests run side by side.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    settle();
    EXPECT_TRUE(deadButtons) << "a button took clicks during the download";
    EXPECT_EQ(shownRows(), asShown(rowsOf(records)));
    EXPECT_EQ(barPosition(), 100);
    bool between = false;
    for (int p : positions)
        between = between || (p > 0 && p < 100);
    EXPECT_TRUE(between) << "the bar did not move during the download (" << positions.size() << " looks)";
    EXPECT_EQ(said(), std::vector<std::string>{});
    EXPECT_TRUE(enabled(IDC_READ_ALL));
    EXPECT_EQ(reader.requestCount(), 152u) << "the count twice, then each record once";
}

// No reader: the box says why, port by port, in the operator's words; the
// ports Windows lists beyond COM3 to COM9 follow them.
TEST_F(WindowsDialogTest, AFailedConnectSaysWhyPortByPort)
{
    sim.addSilentTerminal(5);
    click(IDC_CONNECT);
    settle();
    const auto box = said();
    ASSERT_EQ(box.size(), 1u);
    EXPECT_EQ(box[0].rfind("连接失败！\nCOM3：没有此端口\nCOM4：没有此端口\nCOM5：没有应答\nCOM6：没有此端口\n"
                           "COM7：没有此端口\nCOM8：没有此端口\nCOM9：没有此端口",
                           0),
              0u)
        << box[0];
}

TEST_F(WindowsDialogTest, ReadOneAndReadRangeCheckTheirFields)
{
    const auto records = kestsim::sampleRecords(10);
    connectedReader(records);
    struct Case {
        int button;
        std::vector<std::pair<int, std::string>> fields;
        std::vector<std::string> messages;
        std::size_t rowsAfter;
    };
    const Case cases[] = {
        {IDC_READ_ONE, {{IDC_SINGLE_NUMBER, "0"}}, {"请输入一个介于 1 和 20000 之间的整数。", "数据不能为0 !"}, 0},
        // No number: the field keeps its 0 from before.
        {IDC_READ_ONE, {{IDC_SINGLE_NUMBER, "x"}}, {"请输入一个整数。", "数据不能为0 !"}, 0},
        {IDC_READ_ONE, {{IDC_SINGLE_NUMBER, "7"}}, {}, 1},
        {IDC_READ_RANGE, {{IDC_RANGE_START, "5"}, {IDC_RANGE_END, "3"}}, {"结束条数不能小于起始条数 !"}, 1},
        {IDC_READ_RANGE, {{IDC_RANGE_START, "1"}, {IDC_RANGE_END, "11"}}, {"结束条数不能超过总条数 !"}, 1},
        {IDC_READ_RANGE, {{IDC_RANGE_START, "3"}, {IDC_RANGE_END, "5"}}, {}, 4},
    };
    for (const auto &c : cases) {
        forget();
        for (const auto &[id, value] : c.fields)
            type(id, value);
        click(c.button);
        settle();
        EXPECT_EQ(said(), c.messages) << "field " << c.fields[0].second;
        EXPECT_EQ(static_cast<std::size_t>(rowCount()), c.rowsAfter) << "field " << c.fields[0].second;
    }
    const auto rows = shownRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], rowsOf({records[6]}, 7)[0]) << "read one numbers the row by its record number";
    EXPECT_EQ(rows[1].sequence, "00003");
    EXPECT_EQ(rows[3], rowsOf({records[4]}, 5)[0]);
    EXPECT_EQ(barPosition(), 100);
}

TEST_F(WindowsDialogTest, SaveWritesTheBytesTheLinuxProgramWrites)
{
    auto records = kestsim::sampleRecords(20);
    records[3] = cardRecord(kGbkCard, 4, 0);
    connectedReader(records);
    click(IDC_READ_ALL);
    settle();

    const fs::path saved = scratch / "记录.csv";
    choose(saved);
    click(IDC_SAVE_FILE);
    settle();
    EXPECT_EQ(said(), std::vector<std::string>{"文件保存成功 !"});

    // The Linux program's save of the same records, by its own code.
    const fs::path expected = scratch / "linux.csv";
    ASSERT_TRUE(appendRowsToCsv(expected.string(), rowsOf(records)).saved);
    EXPECT_EQ(hex(readFile(saved)), hex(readFile(expected)));

    // A second save into the same file appends the rows, the header once.
    forget();
    choose(saved);
    click(IDC_SAVE_FILE);
    settle();
    ASSERT_TRUE(appendRowsToCsv(expected.string(), rowsOf(records)).saved);
    EXPECT_EQ(hex(readFile(saved)), hex(readFile(expected)));
}

TEST_F(WindowsDialogTest, DuplicatesKeepTheLastRowOfEachCard)
{
    connectedReader({cardRecord("AAA 000000000001", 1, 1), cardRecord("BBB 000000000002", 2, 2),
                     cardRecord("AAA 000000000001", 3, 3), cardRecord("CCC 000000000003", 4, 0),
                     cardRecord("BBB 000000000002", 5, 1)});
    click(IDC_READ_ALL);
    settle();
    click(IDC_REMOVE_DUPLICATES);
    settle();
    EXPECT_EQ(shownRows(), (std::vector<RowTexts>{{"00001", "AAA 000000000001", "2024/05/06 07:08:03", "3"},
                                                  {"00002", "CCC 000000000003", "2024/05/06 07:08:04", " "},
                                                  {"00003", "BBB 000000000002", "2024/05/06 07:08:05", "1"}}));
}

TEST_F(WindowsDialogTest, TheComparisonFileGoesToTheReader)
{
    auto &reader = connectedReader({});
    const std::vector<std::string> cards = {"999 000000000003", "999 000000000001", kGbkCard};
    const fs::path file = scratch / "cmp.csv";
    std::string bytes(kCsvHeader);
    int n = 1;
    for (const auto &card : cards)
        bytes += sequenceText(n++) + "," + card + ",2024/05/06 07:08:09, \n";
    writeFile(file, bytes);

    choose(file);
    click(IDC_OPEN_COMPARE);
    settle();
    EXPECT_EQ(said(), std::vector<std::string>{windowsName(file)}) << "the file's full name, in Windows' form";

    forget();
    click(IDC_DOWNLOAD_COMPARE);
    settle();
    EXPECT_EQ(said(), std::vector<std::string>{"下载比数据成功!"});
    const auto list = reader.compareList();
    ASSERT_EQ(list.size(), cards.size());
    std::size_t i = 0;
    for (const auto &[number, entry] : list) {
        EXPECT_EQ(number, i);
        EXPECT_EQ(std::string(reinterpret_cast<const char *>(entry.data()), cards[i].size()), cards[i]);
        ++i;
    }
    EXPECT_EQ(barPosition(), 100);
}

// Esc and the close box during a download stop it after the record in hand;
// the rows read stay, and the dialog stays until the next one when idle.
TEST_F(WindowsDialogTest, EscapeAndTheCloseBoxStopADownload)
{
    for (const char *stop : {"escape", "close"}) {
        SCOPED_TRACE(stop);
        if (!visible())
            restartProbe();
        auto &reader = connectedReader(kestsim::sampleRecords(300), kestsim::WirePace::kDefaultBaud);
        click(IDC_READ_ALL);
        ASSERT_TRUE(waitFor([this] { return rowCount() >= 3; }));
        // Enter has no live default button meanwhile: nothing closes.
        ok("enter");
        ASSERT_TRUE(waitFor([this] { return rowCount() >= 6; }));
        EXPECT_TRUE(visible());
        EXPECT_FALSE(enabled(IDC_READ_ALL)) << "Enter ended the download";
        ok(stop);
        settle();
        EXPECT_TRUE(visible());
        const int rows = rowCount();
        EXPECT_LT(rows, 300);
        EXPECT_EQ(said(), std::vector<std::string>{"读取已停止，共读取 " + std::to_string(rows) + " 条记录 !"});
        EXPECT_EQ(reader.requestCount(), static_cast<std::size_t>(rows) + 1) << "the count, then each row read";
        EXPECT_TRUE(enabled(IDC_READ_ALL));

        // Idle, the same key closes the dialog.
        ok(stop);
        settle();
        EXPECT_FALSE(visible());
        sim.removeReader(3);
    }
}

} // namespace
} // namespace kestrix

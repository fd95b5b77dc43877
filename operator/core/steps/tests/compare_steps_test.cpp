// SPDX-License-Identifier: MIT
// Loading a comparison file, giving it to the reader, erasing the reader's.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "csv_export.h"
#include "row_texts.h"
#include "steps_fixture.h"
#include "kestrix_testing/test_files.h"

namespace kestrix::test {

namespace {

constexpr std::uint8_t kLoadCompare = 0x06;

using S = KestrixController;
namespace fs = std::filesystem;

// A file as the program exports it, with the card numbers given.
std::string exportFile(const std::vector<std::string> &cards, const char *lineEnd = "\n")
{
    std::string bytes(kCsvHeader);
    int n = 1;
    for (const auto &card : cards)
        bytes += sequenceText(n++) + "," + card + ",2024/05/06 07:08:09, " + lineEnd;
    return bytes;
}

std::string cardOf(const CompareEntry &entry) { return std::string(entry.cardNumber, 16); }
std::string padded(const std::string &card) { return card + std::string(16 - card.size(), '\0'); }

// The entries the reader was given, by entry number, in the order sent.
std::vector<std::pair<int, std::string>> entriesSent(const kestsim::VirtualReader &reader)
{
    std::vector<std::pair<int, std::string>> sent;
    for (const auto &frame : reader.requests())
        if (frame.code() == kLoadCompare)
            sent.emplace_back(frame.bytes[3] | frame.bytes[4] << 8,
                              std::string(frame.bytes.begin() + 5, frame.bytes.begin() + 21));
    return sent;
}

// The positions the bar moved through: a position set where the bar already
// stands is no move.
std::vector<int> barMoves(const std::vector<int> &positions, int from = 0)
{
    std::vector<int> moves;
    for (int p : positions)
        if (p != from)
            moves.push_back(from = p);
    return moves;
}

// The current folder, for as long as it lives.
class InFolder {
public:
    explicit InFolder(const std::string &folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(previous_); }
    InFolder(const InFolder &) = delete;
    InFolder &operator=(const InFolder &) = delete;

private:
    fs::path previous_;
};

} // namespace

class CompareFileTest : public StepsTest {
protected:
    std::string file(const char *name, const std::string &bytes)
    {
        const std::string path = dir.file(name);
        writeFile(path, bytes);
        return path;
    }
    void load(const std::string &path)
    {
        toolkit.fileChoices = {path};
        press(&S::openCompareFile);
    }
    TempDir dir;
};

TEST_F(CompareFileTest, ExportedFileLoadsItsCardsAndShowsThePath)
{
    const std::string path = file("cmp.csv", exportFile({"999 000000000001", "999 000000000002", "999 000000000003"}));
    load(path);
    ASSERT_EQ(toolkit.messages.size(), 1u);
    EXPECT_EQ(toolkit.messages[0].text, fs::absolute(path).lexically_normal().string());
    EXPECT_EQ(toolkit.messages[0].icon, MessageIcon::Information);
    ASSERT_EQ(table.count, 3);
    EXPECT_EQ(cardOf(table.entries[2]), "999 000000000003");
    ASSERT_EQ(toolkit.fileDialogs.size(), 1u);
    EXPECT_EQ(toolkit.fileDialogs[0].filters, (std::vector<std::string>{"Compare Files(*.csv)", "All Files(*.*)"}));
}

TEST_F(CompareFileTest, ARelativeNameIsShownAbsoluteAndClean)
{
    file("cmp.csv", exportFile({"999 000000000001"}));
    fs::create_directory(dir.file("sub"));
    InFolder here(dir.path());
    const std::string expected = (fs::current_path() / "cmp.csv").string();
    for (const char *name : {"cmp.csv", "./sub/../cmp.csv"}) {
        toolkit.forget();
        load(name);
        EXPECT_EQ(said(), std::vector<std::string>{expected}) << name;
        EXPECT_EQ(table.count, 1) << name;
    }
}

TEST_F(CompareFileTest, LineEndsLongAndEmptyFields)
{
    struct Case {
        const char *what;
        std::string bytes;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"CRLF lines",
         exportFile({"999 000000000001", "999 000000000002"}, "\r\n"),
         {"999 000000000001", "999 000000000002"}},
        // The scan resumes inside the rest of an over-long field, where no row starts.
        {"over-long card",
         exportFile({"999 0000000000012345", "999 000000000002"}),
         {"999 000000000001", "999 000000000002"}},
        {"empty card field", exportFile({"", "999 000000000002"}), {padded(""), "999 000000000002"}},
        {"short card", exportFile({"12345"}), {padded("12345")}},
    };
    for (const auto &c : cases) {
        toolkit.forget();
        load(file("case.csv", c.bytes));
        ASSERT_EQ(table.count, static_cast<int>(c.entries.size())) << c.what;
        for (std::size_t i = 0; i < c.entries.size(); ++i)
            EXPECT_EQ(cardOf(table.entries[i]), c.entries[i]) << c.what << " entry " << i;
        EXPECT_EQ(said().size(), 1u) << c.what << ": only the path is shown";
    }
}

TEST_F(CompareFileTest, TwelveHundredRowsKeepAThousand)
{
    std::vector<std::string> cards;
    for (int i = 0; i < 1200; ++i)
        cards.push_back("999 " + std::to_string(100000000000LL + i));
    load(file("big.csv", exportFile(cards)));
    ASSERT_EQ(said().size(), 2u);
    EXPECT_EQ(said()[0], "数据条数大于 1000!");
    EXPECT_EQ(table.count, 1000);
    EXPECT_EQ(cardOf(table.entries[999]), cards[999]);
    // Downloading them takes the reader's 200 ms each (over three minutes),
    // so the download itself is shown on a short list below.
}

TEST_F(CompareFileTest, DownloadSendsTheEntriesInOrder)
{
    const std::vector<std::string> cards = {"999 000000000003", "999 000000000001", "12345", ""};
    auto &reader = connectedReader(0);
    load(file("cmp.csv", exportFile(cards)));
    toolkit.forget();
    press(&S::downloadCompareList);
    EXPECT_EQ(said(), std::vector<std::string>{"下载比数据成功!"});
    const auto sent = entriesSent(reader);
    ASSERT_EQ(sent.size(), cards.size());
    for (std::size_t i = 0; i < cards.size(); ++i) {
        EXPECT_EQ(sent[i].first, static_cast<int>(i));
        EXPECT_EQ(sent[i].second, padded(cards[i]));
    }
    EXPECT_EQ(reader.compareList().size(), cards.size());
    EXPECT_EQ(barMoves(view.progress), (std::vector<int>{25, 50, 75, 100})) << "0 is where the bar already stood";
}

TEST_F(CompareFileTest, LargerThan64KiBScansOnlyItsStart)
{
    std::vector<std::string> cards;
    for (int i = 0; i < 1000; ++i)
        cards.push_back("999 " + std::to_string(100000000000LL + i));
    std::string bytes = exportFile(cards); // 44 bytes a row
    ASSERT_GT(bytes.size(), 40000u);
    while (bytes.size() <= 70000)
        bytes += exportFile({"999 777777777777"}).substr(kCsvHeader.size());
    load(file("huge.csv", bytes));
    ASSERT_EQ(said().size(), 3u);
    EXPECT_EQ(said()[0], "file > 64KB!");
    EXPECT_EQ(said()[1], "数据条数大于 1000!");
    EXPECT_EQ(table.count, 1000);
}

TEST_F(CompareFileTest, CancelledOrMissingFileLeavesTheTableEmpty)
{
    load(file("cmp.csv", exportFile({"999 000000000001"})));
    ASSERT_EQ(table.count, 1);

    toolkit.forget();
    press(&S::openCompareFile); // cancelled
    EXPECT_EQ(table.count, 0);
    auto &reader = connectedReader(0);
    press(&S::downloadCompareList);
    EXPECT_TRUE(said().empty());
    EXPECT_EQ(reader.requestCount(), 0u);

    load(file("cmp.csv", exportFile({"999 000000000001"})));
    ASSERT_EQ(table.count, 1);
    toolkit.forget();
    load(dir.file("no-such.csv"));
    ASSERT_FALSE(toolkit.messages.empty());
    bool named = false;
    for (const auto &m : toolkit.messages) {
        EXPECT_NE(m.icon, MessageIcon::Information) << "the path of a loaded file is shown: " << m.text;
        named = named || (m.icon == MessageIcon::Warning && m.text.find("no-such.csv") != std::string::npos);
    }
    EXPECT_TRUE(named) << "no warning names the file; said " << toolkit.messages[0].text;
    EXPECT_EQ(table.count, 0);
}

TEST_F(CompareFileTest, DownloadFailureStopsAndSays)
{
    auto &reader = connectedReader(0);
    load(file("cmp.csv", exportFile({"999 000000000001", "999 000000000002", "999 000000000003"})));
    toolkit.forget();
    reader.addFault({kestsim::FaultKind::BadStatus, kLoadCompare, 2, 1u});
    press(&S::downloadCompareList);
    EXPECT_EQ(said(), std::vector<std::string>{"下载比数据失败!"});
    EXPECT_EQ(entriesSent(reader).size(), 2u);
    EXPECT_EQ(view.bar, 0);
}

TEST_F(CompareFileTest, AReaderPulledMidDownloadSaysHowManyWent)
{
    auto &reader = connectedReader(0);
    load(file("cmp.csv", exportFile({"999 000000000001", "999 000000000002", "999 000000000003"})));
    toolkit.forget();
    reader.addFault({kestsim::FaultKind::HangUp, kLoadCompare, 3, 1u});
    press(&S::downloadCompareList);
    EXPECT_EQ(said(), std::vector<std::string>{"与读卡器的连接已断开，共下载 2 条对比数据 !\n"
                                               "请检查连线，然后按“连接设备”重新连接，再下载比对数据。"});
}

TEST_F(CompareFileTest, EraseTheReadersComparisonList)
{
    auto &reader = connectedReader(0);
    reader.setCompareList({{0, {}}, {1, {}}});
    press(&S::deleteCompareList);
    EXPECT_EQ(toolkit.questions, std::vector<std::string>{"删除所有对比数据 ?"});
    EXPECT_EQ(reader.requestCount(), 0u);
    EXPECT_EQ(reader.compareList().size(), 2u);

    toolkit.answers = {true};
    press(&S::deleteCompareList);
    EXPECT_EQ(said(), std::vector<std::string>{"删除所有对比数据成功 !"});
    EXPECT_TRUE(reader.compareList().empty());

    press(&S::disconnect);
    toolkit.forget();
    toolkit.answers = {true};
    press(&S::deleteCompareList);
    EXPECT_EQ(said(), std::vector<std::string>{"删除所有对比数据失败 !"});
}

} // namespace kestrix::test

// Loading a comparison file, giving it to the reader, erasing the reader's.
#include <QFileInfo>

#include "csv_export.h"
#include "dialog_fixture.h"
#include "file_fixture.h"

namespace kestrix {

namespace {

constexpr std::uint8_t kLoadCompare = 0x06;

// A file as the program exports it, with the card numbers given.
QByteArray exportFile(const std::vector<std::string> &cards, const char *lineEnd = "\n")
{
    QByteArray bytes(kCsvHeader.data(), static_cast<qsizetype>(kCsvHeader.size()));
    int n = 1;
    for (const auto &card : cards) {
        bytes += QByteArray::fromStdString(sequenceText(n++) + "," + card + ",2024/05/06 07:08:09, ");
        bytes += lineEnd;
    }
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

} // namespace

class CompareFileTest : public DialogTest {
protected:
    QString file(const char *name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        writeAll(path, bytes);
        return path;
    }
    void load(const QString &path)
    {
        toolkit.fileChoices = {path};
        press(IDC_OPEN_COMPARE);
    }
    QTemporaryDir dir;
};

TEST_F(CompareFileTest, ExportedFileLoadsItsCardsAndShowsThePath)
{
    const QString path = file("cmp.csv", exportFile({"999 000000000001", "999 000000000002", "999 000000000003"}));
    load(path);
    ASSERT_EQ(toolkit.messages.size(), 1u);
    EXPECT_EQ(toolkit.messages[0].text, QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(toolkit.messages[0].icon, MessageIcon::Information);
    ASSERT_EQ(dialog->compareTable().count, 3);
    EXPECT_EQ(cardOf(dialog->compareTable().entries[2]), "999 000000000003");
    EXPECT_EQ(toolkit.fileDialogs[0].filters, (QStringList{"Compare Files(*.csv)", "All Files(*.*)"}));
}

TEST_F(CompareFileTest, LineEndsLongAndEmptyFields)
{
    struct Case {
        const char *what;
        QByteArray bytes;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"CRLF lines", exportFile({"999 000000000001", "999 000000000002"}, "\r\n"),
         {"999 000000000001", "999 000000000002"}},
        // The scan resumes inside the rest of an over-long field, where no row starts.
        {"over-long card", exportFile({"999 0000000000012345", "999 000000000002"}),
         {"999 000000000001", "999 000000000002"}},
        {"empty card field", exportFile({"", "999 000000000002"}), {padded(""), "999 000000000002"}},
        {"short card", exportFile({"12345"}), {padded("12345")}},
    };
    for (const auto &c : cases) {
        toolkit.forget();
        load(file("case.csv", c.bytes));
        ASSERT_EQ(dialog->compareTable().count, static_cast<int>(c.entries.size())) << c.what;
        for (std::size_t i = 0; i < c.entries.size(); ++i)
            EXPECT_EQ(cardOf(dialog->compareTable().entries[i]), c.entries[i]) << c.what << " entry " << i;
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
    EXPECT_EQ(said()[0], QString::fromUtf8("数据条数大于 1000!"));
    const auto &table = dialog->compareTable();
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
    press(IDC_DOWNLOAD_COMPARE);
    EXPECT_EQ(said(), texts({"下载比数据成功!"}));
    const auto sent = entriesSent(reader);
    ASSERT_EQ(sent.size(), cards.size());
    for (std::size_t i = 0; i < cards.size(); ++i) {
        EXPECT_EQ(sent[i].first, static_cast<int>(i));
        EXPECT_EQ(sent[i].second, padded(cards[i]));
    }
    EXPECT_EQ(reader.compareList().size(), cards.size());
    EXPECT_EQ(progress, (std::vector<int>{25, 50, 75, 100}));
}

TEST_F(CompareFileTest, LargerThan64KiBScansOnlyItsStart)
{
    std::vector<std::string> cards;
    for (int i = 0; i < 1000; ++i)
        cards.push_back("999 " + std::to_string(100000000000LL + i));
    QByteArray bytes = exportFile(cards); // 44 bytes a row
    ASSERT_GT(bytes.size(), 40000);
    while (bytes.size() <= 70000)
        bytes += exportFile({"999 777777777777"}).mid(static_cast<qsizetype>(kCsvHeader.size()));
    load(file("huge.csv", bytes));
    ASSERT_EQ(said().size(), 3u);
    EXPECT_EQ(said()[0], QString::fromUtf8("file > 64KB!"));
    EXPECT_EQ(said()[1], QString::fromUtf8("数据条数大于 1000!"));
    EXPECT_EQ(dialog->compareTable().count, 1000);
}

TEST_F(CompareFileTest, CancelledOrMissingFileLeavesTheTableEmpty)
{
    load(file("cmp.csv", exportFile({"999 000000000001"})));
    ASSERT_EQ(dialog->compareTable().count, 1);

    toolkit.forget();
    press(IDC_OPEN_COMPARE); // cancelled
    EXPECT_EQ(dialog->compareTable().count, 0);
    auto &reader = connectedReader(0);
    press(IDC_DOWNLOAD_COMPARE);
    EXPECT_TRUE(said().empty());
    EXPECT_EQ(reader.requestCount(), 0u);

    load(dir.filePath("no-such.csv"));
    ASSERT_EQ(toolkit.messages.size(), 1u);
    EXPECT_TRUE(toolkit.messages[0].text.contains("no-such.csv"));
    EXPECT_EQ(dialog->compareTable().count, 0);
}

TEST_F(CompareFileTest, DownloadFailureStopsAndSays)
{
    auto &reader = connectedReader(0);
    load(file("cmp.csv", exportFile({"999 000000000001", "999 000000000002", "999 000000000003"})));
    toolkit.forget();
    reader.addFault({kestsim::FaultKind::BadStatus, kLoadCompare, 2, 1u});
    press(IDC_DOWNLOAD_COMPARE);
    EXPECT_EQ(said(), texts({"下载比数据失败!"}));
    EXPECT_EQ(entriesSent(reader).size(), 2u);
    EXPECT_EQ(dialog->progressBar()->value(), 0);
}

TEST_F(CompareFileTest, EraseTheReadersComparisonList)
{
    auto &reader = connectedReader(0);
    reader.setCompareList({{0, {}}, {1, {}}});
    press(IDC_DELETE_COMPARE);
    EXPECT_EQ(toolkit.questions, std::vector<QString>{QString::fromUtf8("删除所有对比数据 ?")});
    EXPECT_EQ(reader.requestCount(), 0u);

    toolkit.answers = {true};
    press(IDC_DELETE_COMPARE);
    EXPECT_EQ(said(), texts({"删除所有对比数据成功 !"}));
    EXPECT_TRUE(reader.compareList().empty());

    press(IDC_DISCONNECT);
    toolkit.forget();
    toolkit.answers = {true};
    press(IDC_DELETE_COMPARE);
    EXPECT_EQ(said(), texts({"删除所有对比数据失败 !"}));
}

} // namespace kestrix

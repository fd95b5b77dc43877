// Saving the list to CSV and removing duplicate card numbers.
#include <sys/stat.h>

#include "dialog_fixture.h"
#include "file_fixture.h"

namespace kestrix {

namespace {

kestsim::Record cardRecord(const char *card, int second, std::uint8_t flag)
{
    return kestsim::makeRecord(card, {2024, 5, 6, 7, 8, second}, flag);
}

// "序号,卡号,时间,标记 \n" in GBK.
const QByteArray kHeader = QByteArray::fromHex("d0f2bac52cbfa8bac52ccab1bce42cb1eabcc7200a");

} // namespace

TEST_F(DialogTest, SavingTwiceAppendsRowsAndWritesTheHeaderOnce)
{
    auto &reader = connectedReader(0);
    reader.setRecords({cardRecord("999 000000000001", 1, 0), cardRecord("999 000000000002", 2, 3)});
    press(IDC_READ_ALL);

    QTemporaryDir dir;
    const QString path = dir.filePath("records.csv");
    toolkit.fileChoices = {path, path};
    press(IDC_SAVE_FILE);
    press(IDC_SAVE_FILE);
    EXPECT_EQ(said(), texts({"文件保存成功 !", "文件保存成功 !"}));

    const QByteArray rowsBytes = "00001,999 000000000001,2024/05/06 07:08:01, \n"
                                 "00002,999 000000000002,2024/05/06 07:08:02,3\n";
    EXPECT_EQ(readAll(path), kHeader + rowsBytes + rowsBytes);

    ASSERT_EQ(toolkit.fileDialogs.size(), 2u);
    const auto &options = toolkit.fileDialogs[0];
    EXPECT_EQ(options.filters, (QStringList{"Microsoft Excel(*.csv)", "All Files(*.*)"}));
    EXPECT_EQ(options.defaultSuffix, "csv");
    EXPECT_TRUE(options.confirmOverwrite);
}

TEST_F(DialogTest, SavingAnEmptyList)
{
    QTemporaryDir dir;
    const QString fresh = dir.filePath("new.csv");
    const QString existing = dir.filePath("old.csv");
    writeAll(existing, "kept\n");
    toolkit.fileChoices = {fresh, existing};
    press(IDC_SAVE_FILE);
    press(IDC_SAVE_FILE);
    EXPECT_EQ(said(), texts({"文件保存成功 !", "文件保存成功 !"}));
    EXPECT_EQ(readAll(fresh), kHeader);
    EXPECT_EQ(readAll(existing), QByteArray("kept\n"));
}

TEST_F(DialogTest, SaveCancelledDoesNothing)
{
    press(IDC_SAVE_FILE);
    EXPECT_EQ(toolkit.events, std::vector<std::string>{"save dialog"});
}

TEST_F(DialogTest, SaveThatFailsNamesTheFileAndNeverClaimsSuccess)
{
    connectedReader(2);
    press(IDC_READ_ALL);
    QTemporaryDir dir;
    const QString readOnly = dir.filePath("locked.csv");
    writeAll(readOnly, "");
    ::chmod(readOnly.toLocal8Bit().constData(), 0444);
    const bool root = ::geteuid() == 0; // root writes read-only files anyway

    const QString folder = dir.path();
    const QString full = "/dev/full";
    toolkit.fileChoices = {folder, full};
    if (!root)
        toolkit.fileChoices.push_back(readOnly);
    press(IDC_SAVE_FILE);
    press(IDC_SAVE_FILE);
    if (!root)
        press(IDC_SAVE_FILE);

    ASSERT_EQ(toolkit.messages.size(), root ? 2u : 3u);
    const QString targets[] = {folder, full, readOnly};
    for (std::size_t i = 0; i < toolkit.messages.size(); ++i) {
        const auto &m = toolkit.messages[i];
        EXPECT_NE(m.text, QString::fromUtf8("文件保存成功 !"));
        EXPECT_TRUE(m.text.contains(targets[i])) << m.text.toStdString();
        EXPECT_EQ(m.icon, MessageIcon::Warning);
    }
}

TEST_F(DialogTest, DuplicatesKeepTheLastRowOfEachCard)
{
    auto &reader = connectedReader(0);
    reader.setRecords({cardRecord("AAA 000000000001", 1, 1), cardRecord("BBB 000000000002", 2, 2),
                       cardRecord("AAA 000000000001", 3, 3), cardRecord("CCC 000000000003", 4, 0),
                       cardRecord("BBB 000000000002", 5, 1)});
    press(IDC_READ_ALL);
    reader.clearRequests();
    press(IDC_REMOVE_DUPLICATES);
    ASSERT_EQ(rows(), 3);
    const char *expected[3][4] = {{"00001", "AAA 000000000001", "2024/05/06 07:08:03", "3"},
                                  {"00002", "CCC 000000000003", "2024/05/06 07:08:04", " "},
                                  {"00003", "BBB 000000000002", "2024/05/06 07:08:05", "1"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(cell(r, c), expected[r][c]) << r << "," << c;
    EXPECT_EQ(reader.requestCount(), 0u);
}

TEST_F(DialogTest, DuplicatesOnShortListsOnlyRenumber)
{
    press(IDC_REMOVE_DUPLICATES);
    EXPECT_EQ(rows(), 0);

    auto &reader = connectedReader(0);
    reader.setRecords(kestsim::sampleRecords(3));
    type(IDC_SINGLE_NUMBER, "3");
    press(IDC_READ_ONE);
    EXPECT_EQ(cell(0, 0), "00003");
    press(IDC_REMOVE_DUPLICATES);
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(cell(0, 0), "00001");
}

} // namespace kestrix

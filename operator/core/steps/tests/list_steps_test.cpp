// SPDX-License-Identifier: MIT
// Saving the list to CSV and removing duplicate card numbers.
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "row_texts.h"
#include "steps_fixture.h"
#include "kestrix_testing/test_files.h"

namespace kestrix::test {

namespace {

using S = KestrixController;

kestsim::Record cardRecord(const char *card, int second, std::uint8_t flag)
{
    return kestsim::makeRecord(card, {2024, 5, 6, 7, 8, second}, flag);
}

std::string fromHex(const std::string &hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// "序号,卡号,时间,标记 \n" in GBK.
const std::string kHeader = fromHex("d0f2bac52cbfa8bac52ccab1bce42cb1eabcc7200a");

} // namespace

TEST_F(StepsTest, SavingTwiceAppendsRowsAndWritesTheHeaderOnce)
{
    auto &reader = connectedReader(0);
    reader.setRecords({cardRecord("999 000000000001", 1, 0), cardRecord("999 000000000002", 2, 3)});
    press(&S::readAll);

    TempDir dir;
    const std::string path = dir.file("records.csv");
    toolkit.fileChoices = {path, path};
    press(&S::saveFile);
    press(&S::saveFile);
    EXPECT_EQ(said(), (std::vector<std::string>{"文件保存成功 !", "文件保存成功 !"}));

    const std::string rowsBytes = "00001,999 000000000001,2024/05/06 07:08:01, \n"
                                  "00002,999 000000000002,2024/05/06 07:08:02,3\n";
    EXPECT_EQ(readFile(path), kHeader + rowsBytes + rowsBytes);

    ASSERT_EQ(toolkit.fileDialogs.size(), 2u);
    const auto &options = toolkit.fileDialogs[0];
    EXPECT_EQ(options.filters, (std::vector<std::string>{"Microsoft Excel(*.csv)", "All Files(*.*)"}));
    EXPECT_EQ(options.defaultSuffix, "csv");
    EXPECT_TRUE(options.confirmOverwrite);
}

TEST_F(StepsTest, SavingAnEmptyList)
{
    TempDir dir;
    const std::string fresh = dir.file("new.csv");
    const std::string existing = dir.file("old.csv");
    writeFile(existing, "kept\n");
    toolkit.fileChoices = {fresh, existing};
    press(&S::saveFile);
    press(&S::saveFile);
    EXPECT_EQ(said(), (std::vector<std::string>{"文件保存成功 !", "文件保存成功 !"}));
    EXPECT_EQ(readFile(fresh), kHeader);
    EXPECT_EQ(readFile(existing), "kept\n");
}

TEST_F(StepsTest, SaveCancelledDoesNothing)
{
    press(&S::saveFile);
    EXPECT_EQ(toolkit.events, std::vector<std::string>{"file dialog"});
}

TEST_F(StepsTest, SaveThatFailsNamesTheFileAndNeverClaimsSuccess)
{
    connectedReader(2);
    press(&S::readAll);
    TempDir dir;
    const std::string readOnly = dir.file("locked.csv");
    writeFile(readOnly, "");
    ::chmod(readOnly.c_str(), 0444);
    const bool root = ::geteuid() == 0; // root writes read-only files anyway

    std::vector<std::string> targets = {dir.path(), "/dev/full"};
    if (!root)
        targets.push_back(readOnly);
    for (const auto &target : targets) {
        toolkit.forget();
        toolkit.fileChoices = {target};
        press(&S::saveFile);
        ASSERT_FALSE(toolkit.messages.empty()) << target;
        bool named = false;
        for (const auto &m : toolkit.messages) {
            EXPECT_NE(m.text, "文件保存成功 !") << target;
            named = named || (m.icon == MessageIcon::Warning && m.text.find(target) != std::string::npos);
        }
        EXPECT_TRUE(named) << target << ": no warning names it; said " << toolkit.messages[0].text;
    }
}

TEST_F(StepsTest, DuplicatesKeepTheLastRowOfEachCard)
{
    auto &reader = connectedReader(0);
    reader.setRecords({cardRecord("AAA 000000000001", 1, 1), cardRecord("BBB 000000000002", 2, 2),
                       cardRecord("AAA 000000000001", 3, 3), cardRecord("CCC 000000000003", 4, 0),
                       cardRecord("BBB 000000000002", 5, 1)});
    press(&S::readAll);
    reader.clearRequests();
    const auto resets = view.resets;
    press(&S::removeDuplicates);
    EXPECT_EQ(rows().rows(), (std::vector<RowTexts>{{"00001", "AAA 000000000001", "2024/05/06 07:08:03", "3"},
                                                    {"00002", "CCC 000000000003", "2024/05/06 07:08:04", " "},
                                                    {"00003", "BBB 000000000002", "2024/05/06 07:08:05", "1"}}));
    EXPECT_EQ(view.resets, resets + 1) << "the view is told the list changed";
    EXPECT_EQ(view.rowsShown, 3u);
    EXPECT_EQ(reader.requestCount(), 0u);
}

TEST_F(StepsTest, DuplicatesOnShortListsOnlyRenumber)
{
    press(&S::removeDuplicates);
    EXPECT_TRUE(rows().empty());

    auto &reader = connectedReader(0);
    reader.setRecords(kestsim::sampleRecords(3));
    type(Field::SingleNumber, "3");
    press(&S::readOne);
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_EQ(rows()[0].sequence, "00003");
    press(&S::removeDuplicates);
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_EQ(rows()[0].sequence, "00001");
}

} // namespace kestrix::test

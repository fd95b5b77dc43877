// SPDX-License-Identifier: MIT
#include "compare_table.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "compare_entries.h"
#include "csv_export.h"
#include "kestrix_testing/test_files.h"

namespace kestrix {
namespace {

using test::entries;
using test::tableEntries;
using test::TempDir;
using test::writeFile;

TEST(LoadCompareFile, ReadsBackAnExportedList)
{
    TempDir dir;
    const std::string path = dir.file("list.csv");
    ASSERT_TRUE(appendRowsToCsv(path, {{"00001", "999 012345678901", "2024/01/27 13:12:07", " "},
                                       {"00002", "999 012345678902", "2024/01/27 13:12:08", "1"},
                                       {"00003", "999 012345678903", "2024/01/27 13:12:09", " "}})
                    .saved);
    CompareTable table;
    const CompareFileLoad load = loadCompareFile(path, table);
    EXPECT_TRUE(load.loaded);
    EXPECT_EQ(load.reason, "");
    EXPECT_FALSE(load.tooLarge);
    EXPECT_EQ(load.found, 3u);
    EXPECT_EQ(tableEntries(table), entries({"999 012345678901", "999 012345678902", "999 012345678903"}));
}

TEST(LoadCompareFile, ReadsOnlyTheFirst64KiB)
{
    // One row whose card ends at the 65536th byte, one just after; the
    // warning starts at 65536 bytes, one more than a whole file reads.
    const struct {
        std::size_t size;
        std::size_t rowAt;
        std::size_t found;
        bool tooLarge;
    } cases[] = {
        {0, 0, 0, false},        {65535, 65512, 1, false}, {65536, 65513, 1, true},
        {70000, 65513, 1, true}, {70000, 65514, 0, true},
    };
    for (const auto &c : cases) {
        TempDir dir;
        std::string bytes(c.size, 'x');
        if (c.size > 0)
            bytes.replace(c.rowAt, 23, "\n00001,CCCCCCCCCCCCCCCC");
        writeFile(dir.file("list.csv"), bytes);
        CompareTable table;
        const CompareFileLoad load = loadCompareFile(dir.file("list.csv"), table);
        EXPECT_TRUE(load.loaded) << c.size;
        EXPECT_EQ(load.tooLarge, c.tooLarge) << c.size;
        EXPECT_EQ(load.found, c.found) << c.size << " bytes, row at " << c.rowAt;
        EXPECT_EQ(table.count, static_cast<int>(c.found));
    }
}

TEST(LoadCompareFile, FailuresSayWhichFileAndWhyAndLeaveTheTableEmpty)
{
    TempDir dir;
    writeFile(dir.file("plain"), "");
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {dir.file("missing.csv"), "无法读取文件 “" + dir.file("missing.csv") + "”：文件不存在"},
        {dir.file("missing/list.csv"), "无法读取文件 “" + dir.file("missing/list.csv") + "”：文件不存在"},
        {dir.path(), "无法读取文件 “" + dir.path() + "”：这是一个文件夹"},
        {dir.file("plain/list.csv"), "无法读取文件 “" + dir.file("plain/list.csv") + "”：路径中有一段不是文件夹"},
    };
    for (const auto &c : cases) {
        CompareTable table;
        table.count = 7; // a list loaded before
        const CompareFileLoad load = loadCompareFile(c.path, table);
        EXPECT_FALSE(load.loaded) << c.path;
        EXPECT_EQ(load.reason, c.reason);
        EXPECT_EQ(table.count, 0) << c.path;
        EXPECT_EQ(load.found, 0u) << c.path;
    }
}

TEST(LoadCompareFile, UnreadableFileIsRefused)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads files without read permission";
    TempDir dir;
    const std::string path = dir.file("list.csv");
    writeFile(path, "\n00001,CARD1,2024/01/27 13:12:07, \n");
    ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
    CompareTable table;
    const CompareFileLoad load = loadCompareFile(path, table);
    EXPECT_FALSE(load.loaded);
    EXPECT_EQ(load.reason, "无法读取文件 “" + path + "”：权限不足");
    EXPECT_EQ(table.count, 0);
}

TEST(LoadCompareFile, OnlyRegularFilesAreRead)
{
    // A pipe nobody writes to used to hold the load in open() for good; a
    // device read as a file of whatever it gives.
    TempDir dir;
    const auto refused = test::makeRefusedPaths(dir);
    const std::string &fifo = refused.fifo;
    for (const auto &c : refused.cases) {
        CompareTable table;
        table.count = 7; // a list loaded before
        CompareFileLoad load;
        EXPECT_TRUE(test::returnsWithin10s([&] { load = loadCompareFile(c.path, table); }, fifo)) << c.path;
        EXPECT_FALSE(load.loaded) << c.path;
        EXPECT_EQ(load.reason, "无法读取文件 “" + c.path + "”：" + c.what);
        EXPECT_EQ(table.count, 0) << c.path;
    }
}

TEST(LoadCompareFile, PipeWithAWriterIsNotRead)
{
    TempDir dir;
    const std::string fifo = dir.file("pipe");
    test::makeFifo(fifo);
    int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const std::string rows = "header\n00001,CARD1,2024/01/27 13:12:07, \n";
    ASSERT_EQ(::write(writer, rows.data(), rows.size()), static_cast<ssize_t>(rows.size()));
    CompareTable table;
    CompareFileLoad load;
    EXPECT_TRUE(test::returnsWithin10s([&] { load = loadCompareFile(fifo, table); }, fifo,
                                       [&] { ::close(std::exchange(writer, -1)); }));
    EXPECT_EQ(load.reason, "无法读取文件 “" + fifo + "”：这是一个管道");
    ASSERT_GE(writer, 0);
    // The writer's bytes are still in the pipe, for whoever reads it.
    std::string left(rows.size() + 1, '\0');
    EXPECT_EQ(::read(writer, left.data(), left.size()), static_cast<ssize_t>(rows.size()));
    ::close(writer);
}

} // namespace
} // namespace kestrix

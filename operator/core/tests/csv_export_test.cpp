#include "csv_export.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_files.h"

namespace kestrix {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

const std::vector<RowTexts> kTwoRows = {
    {"00001", "999 012345678901", "2024/01/27 13:12:07", " "},
    {"00002", "12345", "2024/01/28 08:00:00", "3"},
};
const std::string kTwoRowsCsv = "00001,999 012345678901,2024/01/27 13:12:07, \n"
                                "00002,12345,2024/01/28 08:00:00,3\n";
const std::string kHeader = "\xD0\xF2\xBA\xC5,\xBF\xA8\xBA\xC5,\xCA\xB1\xBC\xE4,\xB1\xEA\xBC\xC7 \n";

TEST(CsvExport, HeaderIsTheGbkColumnNames)
{
    EXPECT_EQ(kCsvHeader, kHeader);
}

TEST(CsvExport, LineJoinsTheTextsWithoutQuoting)
{
    EXPECT_EQ(csvLine(kTwoRows[0]), "00001,999 012345678901,2024/01/27 13:12:07, \n");
    // Texts go out as they are, commas and quotes included.
    EXPECT_EQ(csvLine({"00003", "a,\"b", "", ""}), "00003,a,\"b,,\n");
}

TEST(CsvExport, NewFileGetsTheHeaderAndTheRows)
{
    TempDir dir;
    const SaveResult result = appendRowsToCsv(dir.file("list.csv"), kTwoRows);
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(result.reason, "");
    EXPECT_EQ(readFile(dir.file("list.csv")), kHeader + kTwoRowsCsv);
}

TEST(CsvExport, SavingAgainAppendsTheRowsOnly)
{
    TempDir dir;
    ASSERT_TRUE(appendRowsToCsv(dir.file("list.csv"), kTwoRows).saved);
    ASSERT_TRUE(appendRowsToCsv(dir.file("list.csv"), kTwoRows).saved);
    EXPECT_EQ(readFile(dir.file("list.csv")), kHeader + kTwoRowsCsv + kTwoRowsCsv);
}

TEST(CsvExport, EmptyListAndExistingFiles)
{
    const struct {
        const char *name;
        const char *before; // nullptr: no file yet
        std::vector<RowTexts> rows;
        std::string after;
    } cases[] = {
        {"empty list, new file", nullptr, {}, kHeader},
        {"empty list, file with text", "anything\n", {}, "anything\n"},
        {"empty list, empty file", "", {}, kHeader},
        {"rows, empty file", "", kTwoRows, kHeader + kTwoRowsCsv},
        // Whatever the file holds is kept; no header goes in the middle.
        {"rows, file without header", "x", kTwoRows, "x" + kTwoRowsCsv},
    };
    for (const auto &c : cases) {
        TempDir dir;
        const std::string path = dir.file("list.csv");
        if (c.before != nullptr)
            writeFile(path, c.before);
        const SaveResult result = appendRowsToCsv(path, c.rows);
        EXPECT_TRUE(result.saved) << c.name << ": " << result.reason;
        EXPECT_EQ(readFile(path), c.after) << c.name;
    }
}

TEST(CsvExport, FailuresSayWhichFileAndWhy)
{
    TempDir dir;
    writeFile(dir.file("plain"), "");
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {dir.path(), "无法写入文件 “" + dir.path() + "”：这是一个文件夹"},
        {dir.file("missing/list.csv"), "无法写入文件 “" + dir.file("missing/list.csv") + "”：文件夹不存在"},
        {dir.file("plain/list.csv"), "无法写入文件 “" + dir.file("plain/list.csv") + "”：路径中有一段不是文件夹"},
        // /dev/full takes no bytes: the header's write fails as on a full disk.
        {"/dev/full", "无法写入文件 “/dev/full”：磁盘已满。本次没有写入任何内容。"},
    };
    for (const auto &c : cases) {
        const SaveResult result = appendRowsToCsv(c.path, kTwoRows);
        EXPECT_FALSE(result.saved) << c.path;
        EXPECT_FALSE(result.partlyWritten) << c.path;
        EXPECT_EQ(result.reason, c.reason);
    }
}

TEST(CsvExport, ReadOnlyFileIsRefused)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes to read-only files";
    TempDir dir;
    const std::string path = dir.file("list.csv");
    writeFile(path, "kept\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const SaveResult result = appendRowsToCsv(path, kTwoRows);
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.reason, "无法写入文件 “" + path + "”：权限不足");
    EXPECT_EQ(readFile(path), "kept\n");
}

TEST(CsvExport, FailedSyncIsNotSuccess)
{
    // The null device takes every write but cannot be synced, like a disk
    // that fails only when the bytes are flushed.
    const SaveResult result = appendRowsToCsv("/dev/null", kTwoRows);
    EXPECT_FALSE(result.saved);
    EXPECT_TRUE(result.partlyWritten);
    EXPECT_EQ(result.reason,
              "无法写入文件 “/dev/null”：Invalid argument。"
              "所有内容已交给系统，但可能没有完整保存到磁盘，文件中可能只有部分记录。");
}

// Files may grow to a set size only, while the object lives: writes past it
// fail (EFBIG) after a short write, as they would on a disk that fills up.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
    bool ok_ = false;
};

TEST(CsvExport, PartWrittenListIsReported)
{
    // Header 21 bytes, rows 45 and 34 bytes; each limit stops the write at a
    // different point of the list.
    const struct {
        rlim_t limit;
        const char *before;
        const char *note;
    } cases[] = {
        {10, nullptr, "部分表头（共 2 条记录）"},
        {21, nullptr, "表头（共 2 条记录）"},
        {40, nullptr, "表头和半行记录（共 2 条记录）"},
        {66, nullptr, "表头和前 1 条记录（共 2 条记录）"},
        {70, nullptr, "表头、前 1 条记录和半行记录（共 2 条记录）"},
        {4 + 45, "old\n", "前 1 条记录（共 2 条记录）"},
        {4 + 10, "old\n", "半行记录（共 2 条记录）"},
    };
    for (const auto &c : cases) {
        TempDir dir;
        const std::string path = dir.file("list.csv");
        if (c.before != nullptr)
            writeFile(path, c.before);
        SaveResult result;
        {
            FileSizeLimit limit(c.limit);
            ASSERT_TRUE(limit.ok());
            result = appendRowsToCsv(path, kTwoRows);
        }
        EXPECT_FALSE(result.saved) << c.limit;
        EXPECT_TRUE(result.partlyWritten) << c.limit;
        EXPECT_EQ(result.reason, "无法写入文件 “" + path + "”：文件太大。文件中已写入" +
                                     c.note + "，列表没有完整保存。");
        EXPECT_EQ(readFile(path).size(), c.limit);
    }
}

} // namespace
} // namespace kestrix

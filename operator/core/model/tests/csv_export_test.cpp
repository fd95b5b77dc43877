// SPDX-License-Identifier: MIT
#include "csv_export.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "kestrix_testing/test_files.h"

namespace kestrix {
namespace {

using test::exists;
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

TEST(CsvExport, HeaderIsTheGbkColumnNames) { EXPECT_EQ(kCsvHeader, kHeader); }

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

TEST(CsvExport, FailuresToOpenSayWhichFileAndWhy)
{
    TempDir dir;
    writeFile(dir.file("plain"), "");
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {dir.file("missing/list.csv"), "无法写入文件 “" + dir.file("missing/list.csv") + "”：文件夹不存在"},
        {dir.file("plain/list.csv"), "无法写入文件 “" + dir.file("plain/list.csv") + "”：路径中有一段不是文件夹"},
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

TEST(CsvExport, OnlyRegularFilesAreWritten)
{
    // A pipe nobody reads used to hold the save in open() for good; a
    // device took the rows and kept none.
    TempDir dir;
    const auto refused = test::makeRefusedPaths(dir);
    const std::string &fifo = refused.fifo;
    for (const auto &c : refused.cases) {
        SaveResult result;
        EXPECT_TRUE(test::returnsWithin10s([&] { result = appendRowsToCsv(c.path, kTwoRows); }, fifo)) << c.path;
        EXPECT_FALSE(result.saved) << c.path;
        EXPECT_FALSE(result.partlyWritten) << c.path;
        EXPECT_EQ(result.reason, "无法写入文件 “" + c.path + "”：" + c.what);
    }
    struct stat status {};
    ASSERT_EQ(::stat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode)); // not replaced by a file
}

TEST(CsvExport, PipeWithAReaderGetsNothing)
{
    TempDir dir;
    const std::string fifo = dir.file("pipe");
    test::makeFifo(fifo);
    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    SaveResult result;
    EXPECT_TRUE(test::returnsWithin10s([&] { result = appendRowsToCsv(fifo, kTwoRows); }, fifo,
                                       [&] { ::close(std::exchange(reader, -1)); }));
    EXPECT_EQ(result.reason, "无法写入文件 “" + fifo + "”：这是一个管道");
    ASSERT_GE(reader, 0);
    char byte;
    EXPECT_LE(::read(reader, &byte, 1), 0); // nothing came down the pipe
    ::close(reader);
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

TEST(CsvExport, FailedWriteLeavesTheFileAsItWas)
{
    // Header 21 bytes, rows 45 and 34 bytes; each limit stops the write at a
    // different point of the list. The next save, with room, must find the
    // file as before: the header once, no half line to go on from.
    const struct {
        rlim_t limit;
        const char *before; // nullptr: no file yet
    } cases[] = {
        {10, nullptr},     // in the header
        {21, nullptr},     // after the header
        {40, nullptr},     // in the first row
        {70, nullptr},     // in the second row
        {10, ""},          // an empty file: it gets the header, and keeps none of it
        {4 + 10, "old\n"}, // in the first row after what the file held
        {4 + 45, "old\n"}, // after the first row
        {2, "old\n"},      // already past the limit: nothing goes out
    };
    for (const auto &c : cases) {
        const std::string name = std::to_string(c.limit) + " bytes, " +
                                 (c.before ? "file held \"" + std::string(c.before) + "\"" : "new file");
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
        EXPECT_FALSE(result.saved) << name;
        EXPECT_FALSE(result.partlyWritten) << name;
        EXPECT_EQ(result.reason, "无法写入文件 “" + path + "”：文件太大。文件未改动。") << name;
        if (c.before == nullptr)
            EXPECT_FALSE(exists(path)) << name << ": the file this save made is gone again";
        else
            EXPECT_EQ(readFile(path), c.before) << name;

        ASSERT_TRUE(appendRowsToCsv(path, kTwoRows).saved) << name;
        const std::string before = c.before ? c.before : "";
        EXPECT_EQ(readFile(path), before + (before.empty() ? kHeader : "") + kTwoRowsCsv) << name;
    }
}

TEST(CsvExport, FullDiskLeavesTheFileAsItWas)
{
    // 400 rows onto a disk with room for 16 KiB (about 360 of them), once
    // onto a file that holds an earlier save and once onto a new name; then
    // the same two rows onto each. Runs in a child process with a disk of
    // its own, which reports what it saw in files beside the disk.
    std::vector<RowTexts> rows(400, kTwoRows[0]);
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("disk").c_str(), 0700), 0);
    const std::string names[] = {"earlier.csv", "new.csv"};
    const int status = test::inSmallFileSystem(dir.file("disk"), 16384, [&] {
        if (!appendRowsToCsv(dir.file("disk/earlier.csv"), kTwoRows).saved)
            return 2;
        for (const std::string &name : names) {
            const std::string path = dir.file("disk/" + name);
            const SaveResult failed = appendRowsToCsv(path, rows);
            writeFile(dir.file(name + ".reason"), (failed.partlyWritten ? "partly written: " : "") + failed.reason);
            if (exists(path))
                writeFile(dir.file(name + ".after-failure"), readFile(path));
            const SaveResult next = appendRowsToCsv(path, kTwoRows);
            writeFile(dir.file(name + ".after-next"), next.saved ? readFile(path) : "not saved: " + next.reason);
        }
        return 0;
    });
    if (status == test::kNoSmallFileSystem)
        GTEST_SKIP() << "no user and mount namespaces to mount a small file system in";
    ASSERT_EQ(status, 0);

    const std::string earlier = kHeader + kTwoRowsCsv;
    for (const std::string &name : names) {
        const std::string path = dir.file("disk/" + name);
        EXPECT_EQ(readFile(dir.file(name + ".reason")), "无法写入文件 “" + path + "”：磁盘已满。文件未改动。");
        if (name == "new.csv")
            EXPECT_FALSE(exists(dir.file(name + ".after-failure")));
        else
            EXPECT_EQ(readFile(dir.file(name + ".after-failure")), earlier);
        EXPECT_EQ(readFile(dir.file(name + ".after-next")), (name == "new.csv" ? kHeader : earlier) + kTwoRowsCsv);
    }
}

// A file in memory that fails where a case says, for the faults a real disk
// seldom shows on demand: a sync or a close that fails, and above all a cut
// back that fails. Calls after a failed close still reach it, as they do the
// real files.
class FaultyFile final : public OutputFile {
public:
    struct Faults {
        std::size_t takes = std::string::npos; // bytes the disk takes before it is full
        bool failFirstSync = false;
        bool failSecondSync = false;
        bool failClose = false;
        bool failTruncate = false;
        bool failRemove = false;
    };
    FaultyFile(std::string content, bool created, Faults faults)
        : OutputFile(created), content(std::move(content)), faults_(std::move(faults))
    {
    }

    std::string content;
    bool removed = false;

    SystemError seekToEnd(std::uint64_t &length) override
    {
        length = content.size();
        return {};
    }
    SystemError writeAll(std::string_view bytes, std::size_t &written) override
    {
        written = std::min(bytes.size(), faults_.takes);
        content += bytes.substr(0, written);
        return written < bytes.size() ? SystemError::fromErrno(ENOSPC) : SystemError{};
    }
    SystemError sync() override
    {
        ++syncs_;
        return (syncs_ == 1 && faults_.failFirstSync) || (syncs_ == 2 && faults_.failSecondSync) ? io() : SystemError{};
    }
    SystemError truncate(std::uint64_t length) override
    {
        if (faults_.failTruncate)
            return io();
        content.resize(length);
        return {};
    }
    SystemError close() override { return std::exchange(faults_.failClose, false) ? io() : SystemError{}; }
    SystemError remove() override
    {
        if (faults_.failRemove)
            return io();
        removed = true;
        return {};
    }

private:
    static SystemError io() { return SystemError::fromErrno(EIO); }
    Faults faults_;
    int syncs_ = 0;
};

TEST(CsvExport, FileIsPutBackAfterEveryFaultAndTheReasonSaysWhereItStands)
{
    using Faults = FaultyFile::Faults;
    const std::string unchanged = "。文件未改动。";
    const struct {
        const char *name;
        bool created;
        Faults faults;
        std::string reason; // after "无法写入文件 “list.csv”："
        bool partlyWritten;
        std::string after; // the file's bytes, or "removed"
    } cases[] = {
        {"disk full", false, {.takes = 30}, "磁盘已满" + unchanged, false, "old\n"},
        {"sync fails", false, {.failFirstSync = true}, "读写磁盘时出错" + unchanged, false, "old\n"},
        {"close fails", false, {.failClose = true}, "读写磁盘时出错" + unchanged, false, "old\n"},
        {"new file, disk full", true, {.takes = 30}, "磁盘已满" + unchanged, false, "removed"},
        {"new file, disk full, not removed",
         true,
         {.takes = 30, .failRemove = true},
         "磁盘已满。本次新建的文件未能删除，留下了一个空文件。",
         false,
         ""},
        // Only when the file cannot be put back does the reason say what is in it.
        {"disk full, not cut back",
         false,
         {.takes = 30, .failTruncate = true},
         "磁盘已满。文件中已写入半行记录（共 2 条记录），列表没有完整保存。",
         true,
         "old\n" + kTwoRowsCsv.substr(0, 30)},
        {"new file, disk full, neither removed nor cut back",
         true,
         {.takes = 30, .failTruncate = true, .failRemove = true},
         "磁盘已满。文件中已写入表头和半行记录（共 2 条记录），列表没有完整保存。",
         true,
         (kHeader + kTwoRowsCsv).substr(0, 30)},
        {"sync fails, not cut back",
         false,
         {.failFirstSync = true, .failTruncate = true},
         "读写磁盘时出错。所有内容已交给系统，但可能没有完整保存到磁盘，文件中可能只有部分记录。",
         true,
         "old\n" + kTwoRowsCsv},
        {"disk full, cut back but not synced",
         false,
         {.takes = 30, .failFirstSync = true},
         "磁盘已满。未能确认文件已恢复原样，文件中可能仍有本次写入的部分内容。",
         true,
         "old\n"},
        {"sync fails twice",
         false,
         {.failFirstSync = true, .failSecondSync = true},
         "读写磁盘时出错。未能确认文件已恢复原样，文件中可能仍有本次写入的部分内容。",
         true,
         "old\n"},
    };
    for (const auto &c : cases) {
        FaultyFile file(c.created ? "" : "old\n", c.created, c.faults);
        const SaveResult result = appendRowsToFile("list.csv", file, kTwoRows);
        EXPECT_FALSE(result.saved) << c.name;
        EXPECT_EQ(result.reason, "无法写入文件 “list.csv”：" + c.reason) << c.name;
        EXPECT_EQ(result.partlyWritten, c.partlyWritten) << c.name;
        EXPECT_EQ(file.removed ? "removed" : file.content, c.after) << c.name;
    }
}

} // namespace
} // namespace kestrix

// SPDX-License-Identifier: MIT
#include "file_error_text.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(ErrnoReason, CommonErrorsHaveTheOperatorsWording)
{
    const struct {
        int err;
        const char *reason;
    } cases[] = {
        {EACCES, "权限不足"},
        {EPERM, "权限不足"},
        {EROFS, "只读文件系统"},
        {ENOSPC, "磁盘已满"},
        {EISDIR, "这是一个文件夹"},
        {ENOENT, "文件夹不存在"},
        {ENOTDIR, "路径中有一段不是文件夹"},
        {EFBIG, "文件太大"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(errnoReason(c.err), c.reason) << c.err;
}

TEST(ErrnoReason, OtherErrorsFallBackToTheSystemsText)
{
    EXPECT_EQ(errnoReason(EBADF), std::strerror(EBADF));
    EXPECT_EQ(errnoReason(EINVAL), std::strerror(EINVAL));
}

TEST(Win32ErrorReason, CommonCodesReadAsTheirErrnoTwins)
{
    // Windows' codes by number (winerror.h), beside the errno of the same
    // meaning where there is one: the operator reads the same either way.
    const struct {
        unsigned long code;
        int twin; // 0: Windows' own
        const char *reason;
    } cases[] = {
        {3, ENOENT, "文件夹不存在"},              // ERROR_PATH_NOT_FOUND
        {5, EACCES, "权限不足"},                  // ERROR_ACCESS_DENIED
        {19, EROFS, "只读文件系统"},              // ERROR_WRITE_PROTECT
        {39, ENOSPC, "磁盘已满"},                 // ERROR_HANDLE_DISK_FULL
        {112, ENOSPC, "磁盘已满"},                // ERROR_DISK_FULL
        {1295, EDQUOT, "磁盘配额已用完"},         // ERROR_DISK_QUOTA_EXCEEDED
        {223, EFBIG, "文件太大"},                 // ERROR_FILE_TOO_LARGE
        {206, ENAMETOOLONG, "文件名太长"},        // ERROR_FILENAME_EXCED_RANGE
        {267, ENOTDIR, "路径中有一段不是文件夹"}, // ERROR_DIRECTORY
        {1117, EIO, "读写磁盘时出错"},            // ERROR_IO_DEVICE
        {2, 0, "文件不存在"},                     // ERROR_FILE_NOT_FOUND
        {32, 0, "文件正被其他程序使用"},          // ERROR_SHARING_VIOLATION
        {33, 0, "文件正被其他程序使用"},          // ERROR_LOCK_VIOLATION
        {123, 0, "文件名无效"},                   // ERROR_INVALID_NAME
        {1234, 0, "系统错误（代码 1234）"},       // any other
    };
    for (const auto &c : cases) {
        EXPECT_EQ(win32ErrorReason(c.code), c.reason) << c.code;
        if (c.twin != 0) {
            EXPECT_EQ(errnoReason(c.twin), c.reason) << c.code;
        }
    }
}

TEST(FileErrorText, MissingNamesReadAsWhatWritingAndReadingMake)
{
    // Writing makes a missing file, so only its folder can be missing;
    // reading makes nothing.
    const SystemError missing[] = {SystemError::fromErrno(ENOENT), SystemError::fromWin32(2),
                                   SystemError::fromWin32(3)};
    for (const SystemError err : missing) {
        EXPECT_EQ(writeErrorReason(err), "文件夹不存在") << err.code;
        EXPECT_EQ(readErrorReason(err), "文件不存在") << err.code;
    }
    // Numbers mean what their own system says: 28 is ENOSPC, yet no Windows code of ours.
    EXPECT_EQ(writeErrorReason(SystemError::fromErrno(ENOSPC)), "磁盘已满");
    EXPECT_EQ(writeErrorReason(SystemError::fromWin32(ENOSPC)), "系统错误（代码 " + std::to_string(ENOSPC) + "）");
}

TEST(FileErrorText, NamesTheFileAndTheReason)
{
    EXPECT_EQ(cannotWriteFileText("/mnt/u盘/记录.csv", fileKindReason(FileKind::Pipe)),
              "无法写入文件 “/mnt/u盘/记录.csv”：这是一个管道");
    EXPECT_EQ(cannotReadFileText("/home/a/list.csv", readErrorReason(SystemError::fromErrno(ENOENT))),
              "无法读取文件 “/home/a/list.csv”：文件不存在");
}

} // namespace
} // namespace kestrix

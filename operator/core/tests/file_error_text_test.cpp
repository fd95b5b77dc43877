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
        {EACCES, "权限不足"},     {EPERM, "权限不足"},       {EROFS, "只读文件系统"},
        {ENOSPC, "磁盘已满"},     {EISDIR, "这是一个文件夹"}, {ENOENT, "文件夹不存在"},
        {ENOTDIR, "路径中有一段不是文件夹"}, {EFBIG, "文件太大"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(errnoReason(c.err), c.reason) << c.err;
}

TEST(ErrnoReason, OtherErrorsFallBackToTheSystemsText)
{
    EXPECT_EQ(errnoReason(EBADF), std::strerror(EBADF));
    EXPECT_EQ(errnoReason(EINVAL), std::strerror(EINVAL));
}

TEST(FileErrorText, NamesTheFileAndTheReason)
{
    EXPECT_EQ(cannotWriteFileText("/mnt/u盘/记录.csv", ENOSPC),
              "无法写入文件 “/mnt/u盘/记录.csv”：磁盘已满");
    EXPECT_EQ(cannotReadFileText("/home/a/list.csv", ENOENT),
              "无法读取文件 “/home/a/list.csv”：文件不存在");
}

} // namespace
} // namespace kestrix

#include "file_error_text.h"

#include <cerrno>
#include <system_error>

namespace kestrix {

std::string errnoReason(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return "权限不足";
    case EROFS:
        return "只读文件系统";
    case ENOSPC:
        return "磁盘已满";
    case EDQUOT:
        return "磁盘配额已用完";
    case EFBIG:
        return "文件太大";
    case EISDIR:
        return "这是一个文件夹";
    case ENOENT:
        return "文件夹不存在";
    case ENOTDIR:
        return "路径中有一段不是文件夹";
    case ENAMETOOLONG:
        return "文件名太长";
    case EIO:
        return "读写磁盘时出错";
    default:
        // The generic category's message is strerror's text, without
        // strerror's shared buffer.
        return std::error_code(err, std::generic_category()).message();
    }
}

namespace {

std::string fileText(const char *what, const std::string &path, const std::string &reason)
{
    return std::string(what) + " “" + path + "”：" + reason;
}

} // namespace

std::string cannotWriteFileText(const std::string &path, int err)
{
    return fileText("无法写入文件", path, errnoReason(err));
}

std::string cannotReadFileText(const std::string &path, int err)
{
    return fileText("无法读取文件", path, err == ENOENT ? "文件不存在" : errnoReason(err));
}

} // namespace kestrix

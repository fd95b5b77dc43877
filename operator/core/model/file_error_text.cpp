// SPDX-License-Identifier: MIT
#include "file_error_text.h"

#include <cerrno>
#include <system_error>

#if defined(_WIN32)
#  if !defined(WIN32_LEAN_AND_MEAN)
#    define WIN32_LEAN_AND_MEAN
#  endif
#  include <windows.h>
#endif

namespace kestrix {

namespace {

// Windows' codes by number, so that their wording builds and is tested on
// every system; on Windows they are checked against the system's names.
namespace win32 {
constexpr unsigned long kFileNotFound = 2;
constexpr unsigned long kPathNotFound = 3;
constexpr unsigned long kAccessDenied = 5;
constexpr unsigned long kWriteProtect = 19;
constexpr unsigned long kCrc = 23;
constexpr unsigned long kWriteFault = 29;
constexpr unsigned long kReadFault = 30;
constexpr unsigned long kSharingViolation = 32;
constexpr unsigned long kLockViolation = 33;
constexpr unsigned long kHandleDiskFull = 39;
constexpr unsigned long kDiskFull = 112;
constexpr unsigned long kInvalidName = 123;
constexpr unsigned long kFilenameExcedRange = 206;
constexpr unsigned long kFileTooLarge = 223;
constexpr unsigned long kDirectory = 267;
constexpr unsigned long kIoDevice = 1117;
constexpr unsigned long kDiskQuotaExceeded = 1295; // ERROR_DISK_QUOTA_EXCEEDED, not in mingw-w64's headers
} // namespace win32

#if defined(_WIN32)
static_assert(win32::kFileNotFound == ERROR_FILE_NOT_FOUND && win32::kPathNotFound == ERROR_PATH_NOT_FOUND &&
              win32::kAccessDenied == ERROR_ACCESS_DENIED && win32::kWriteProtect == ERROR_WRITE_PROTECT &&
              win32::kCrc == ERROR_CRC && win32::kWriteFault == ERROR_WRITE_FAULT &&
              win32::kReadFault == ERROR_READ_FAULT && win32::kSharingViolation == ERROR_SHARING_VIOLATION &&
              win32::kLockViolation == ERROR_LOCK_VIOLATION && win32::kHandleDiskFull == ERROR_HANDLE_DISK_FULL &&
              win32::kDiskFull == ERROR_DISK_FULL && win32::kInvalidName == ERROR_INVALID_NAME &&
              win32::kFilenameExcedRange == ERROR_FILENAME_EXCED_RANGE &&
              win32::kFileTooLarge == ERROR_FILE_TOO_LARGE && win32::kDirectory == ERROR_DIRECTORY &&
              win32::kIoDevice == ERROR_IO_DEVICE);
#endif

bool isMissingName(SystemError err)
{
    switch (err.numbering) {
    case SystemError::Numbering::Errno: return err.code == ENOENT;
    case SystemError::Numbering::Win32: return err.code == win32::kFileNotFound || err.code == win32::kPathNotFound;
    case SystemError::Numbering::None: break;
    }
    return false;
}

std::string reasonOf(SystemError err)
{
    switch (err.numbering) {
    case SystemError::Numbering::Errno: return errnoReason(static_cast<int>(err.code));
    case SystemError::Numbering::Win32: return win32ErrorReason(err.code);
    case SystemError::Numbering::None: break;
    }
    return "未知错误"; // a caller's mistake: nothing failed
}

std::string fileText(const char *what, const std::string &path, const std::string &reason)
{
    return std::string(what) + " “" + path + "”：" + reason;
}

} // namespace

std::string errnoReason(int err)
{
    switch (err) {
    case EACCES:
    case EPERM: return "权限不足";
    case EROFS: return "只读文件系统";
    case ENOSPC: return "磁盘已满";
#if defined(EDQUOT) // not in Windows' C library
    case EDQUOT: return "磁盘配额已用完";
#endif
    case EFBIG: return "文件太大";
    case EISDIR: return "这是一个文件夹";
    case ENOENT: return "文件夹不存在";
    case ENOTDIR: return "路径中有一段不是文件夹";
    case ENAMETOOLONG: return "文件名太长";
    case EIO: return "读写磁盘时出错";
    default:
        // The generic category's message is strerror's text, without
        // strerror's shared buffer.
        return std::error_code(err, std::generic_category()).message();
    }
}

std::string win32ErrorReason(unsigned long code)
{
    switch (code) {
    case win32::kFileNotFound: return "文件不存在";
    case win32::kPathNotFound: return "文件夹不存在";
    case win32::kAccessDenied: return "权限不足";
    case win32::kWriteProtect: return "只读文件系统";
    case win32::kSharingViolation:
    case win32::kLockViolation:
        // Another program holds the file, a spreadsheet mostly.
        return "文件正被其他程序使用";
    case win32::kHandleDiskFull:
    case win32::kDiskFull: return "磁盘已满";
    case win32::kDiskQuotaExceeded: return "磁盘配额已用完";
    case win32::kFileTooLarge: return "文件太大";
    case win32::kInvalidName: return "文件名无效";
    case win32::kFilenameExcedRange: return "文件名太长";
    case win32::kDirectory: return "路径中有一段不是文件夹";
    case win32::kCrc:
    case win32::kWriteFault:
    case win32::kReadFault:
    case win32::kIoDevice: return "读写磁盘时出错";
    default: {
        // Built piece by piece: "literal" + std::to_string(...) trips a false
        // -Wrestrict in GCC 12's optimiser.
        std::string text = "系统错误（代码 ";
        text += std::to_string(code);
        text += "）";
        return text;
    }
    }
}

std::string writeErrorReason(SystemError err) { return isMissingName(err) ? "文件夹不存在" : reasonOf(err); }

std::string readErrorReason(SystemError err) { return isMissingName(err) ? "文件不存在" : reasonOf(err); }

std::string fileKindReason(FileKind kind)
{
    switch (kind) {
    case FileKind::Folder: return "这是一个文件夹";
    case FileKind::Pipe: return "这是一个管道";
    case FileKind::Device: return "这是一个设备";
    case FileKind::Socket: return "这是一个套接字";
    case FileKind::Regular: // a caller's mistake: a regular file is read
    case FileKind::Other: break;
    }
    return "这不是普通文件";
}

std::string cannotWriteFileText(const std::string &path, const std::string &reason)
{
    return fileText("无法写入文件", path, reason);
}

std::string cannotReadFileText(const std::string &path, const std::string &reason)
{
    return fileText("无法读取文件", path, reason);
}

} // namespace kestrix

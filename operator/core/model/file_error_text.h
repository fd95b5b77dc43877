// SPDX-License-Identifier: MIT
// The operator-facing wording of a file that could not be written or read:
// which file, and why, in the operator's language (UTF-8).
#pragma once

#include <string>

#include "system_file.h"

namespace kestrix {

// A short Chinese wording of a system error number; numbers without one of
// our own fall back to the system's description.
std::string errnoReason(int err);

// The same for Windows' error codes (GetLastError()), in the same words
// where the two systems mean the same; other codes read
// "系统错误（代码 <n>）". Written for every system, so that it is tested
// where the tests run.
std::string win32ErrorReason(unsigned long code);

// The reason of either numbering. Writing creates a missing file, so a
// missing name means a missing folder ("文件夹不存在"); reading creates
// nothing, so there it reads "文件不存在".
std::string writeErrorReason(SystemError err);
std::string readErrorReason(SystemError err);

// What a name that is no regular file is: "这是一个管道" and so on.
std::string fileKindReason(FileKind kind);

// "无法写入文件 “<path>”：<reason>" and "无法读取文件 “<path>”：<reason>".
std::string cannotWriteFileText(const std::string &path, const std::string &reason);
std::string cannotReadFileText(const std::string &path, const std::string &reason);

} // namespace kestrix

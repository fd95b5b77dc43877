// The operator-facing wording of a file that could not be written or read:
// which file, and why, in the operator's language (UTF-8).
#pragma once

#include <string>

namespace kestrix {

// A short Chinese wording of a system error number; numbers without one of
// our own fall back to the system's description.
std::string errnoReason(int err);

// "无法写入文件 “<path>”：<reason>"; writing creates a missing file, so a
// missing path means a missing folder ("文件夹不存在").
std::string cannotWriteFileText(const std::string &path, int err);

// "无法读取文件 “<path>”：<reason>"; a missing file or folder reads
// "文件不存在" here, since reading creates nothing.
std::string cannotReadFileText(const std::string &path, int err);

} // namespace kestrix

// SPDX-License-Identifier: MIT
// Every text the operator's steps show in a message box, as the operator
// knows them.
#pragma once

namespace kestrix::text {

inline constexpr const char *kConnected = "连接成功！";
inline constexpr const char *kConnectFailed = "连接失败！";
inline constexpr const char *kDisconnectFailed = "断开失败！";

inline constexpr const char *kCountFailed = "查询数目失败！";     // show count
inline constexpr const char *kCountFailedRead = "查询数目失败 !"; // read all, read range
inline constexpr const char *kCountIsZero = "查询数目为 0 !";
inline constexpr const char *kReadFailed = "读取不成功 !"; // read all, read range
inline constexpr const char *kReadOneFailed = "读取失败！";
inline constexpr const char *kNumberIsZero = "数据不能为0 !";
inline constexpr const char *kRangeEndBeforeStart = "结束条数不能小于起始条数 !";
inline constexpr const char *kRangeEndPastCount = "结束条数不能超过总条数 !";
inline constexpr const char *kRangeHasZero = "起始条数或结束条数不能为0 !";
inline constexpr const char *kRangeOver20000 = "起始条数或结束条数不能大于20000 !";
// Esc or the close box during a download; %1 is the number of records added.
inline constexpr const char *kReadStopped = "读取已停止，共读取 %1 条记录 !";
// The reader went away mid-download (a cable pulled, an adapter reset).
inline constexpr const char *kReadLost =
    "与读卡器的连接已断开，共读取 %1 条记录 !\n已读取的记录仍在列表中。请检查连线，然后按“连接设备”重新连接。";

inline constexpr const char *kSetTimeFailed = "设置时间失败 !";
inline constexpr const char *kDeleteAllQuestion = "Delete all data ?";
inline constexpr const char *kDeleteAllDone = "删除所有数据成功 !";
inline constexpr const char *kDeleteAllFailed = "删除所有数据失败 !";

inline constexpr const char *kFileSaved = "文件保存成功 !";

inline constexpr const char *kCompareFileTooLarge = "file > 64KB!";
inline constexpr const char *kCompareOver1000 = "数据条数大于 1000!";
inline constexpr const char *kCompareDownloadFailed = "下载比数据失败!";
inline constexpr const char *kCompareDownloaded = "下载比数据成功!";
// Esc or the close box while the comparison list goes to the reader; %1 is
// the number of entries the reader now holds.
inline constexpr const char *kCompareStopped = "下载已停止，共下载 %1 条对比数据 !";
inline constexpr const char *kCompareLost =
    "与读卡器的连接已断开，共下载 %1 条对比数据 !\n请检查连线，然后按“连接设备”重新连接，再下载比对数据。";
inline constexpr const char *kDeleteCompareQuestion = "删除所有对比数据 ?";
inline constexpr const char *kDeleteCompareDone = "删除所有对比数据成功 !";
inline constexpr const char *kDeleteCompareFailed = "删除所有对比数据失败 !";

// The field checks' own messages.
inline constexpr const char *kEnterInteger = "请输入一个整数。";
inline constexpr const char *kEnterIntegerBetween = "请输入一个介于 %1 和 %2 之间的整数。";
inline constexpr const char *kEnterAtMostChars = "请输入不超过 %1 个字符。";

} // namespace kestrix::text

// SPDX-License-Identifier: MIT
#include "main_dialog.h"

namespace kestrix {

namespace {

using K = ControlKind;

constexpr ControlTemplate kControls[] = {
    {IDOK, K::Button, "关闭软件", {7, 182, 42, 17}, DefaultButton, nullptr},
    {IDC_CONNECT, K::Button, "连接设备", {7, 7, 42, 17}, 0, nullptr},
    {IDC_DISCONNECT, K::Button, "断开连接", {7, 32, 42, 17}, 0, nullptr},
    {IDC_READ_ALL, K::Button, "读取数据", {7, 57, 42, 17}, 0, nullptr},
    {IDC_SET_TIME, K::Button, "设置时间", {7, 82, 42, 17}, 0, nullptr},
    {IDC_DELETE_ALL, K::Button, "删除数据", {7, 107, 42, 17}, 0, nullptr},
    {IDC_SAVE_FILE, K::Button, "保存文件", {7, 132, 42, 17}, 0, nullptr},
    {IDC_CLEAR_LIST, K::Button, "清除显示", {7, 157, 42, 17}, 0, nullptr},
    {IDC_RECORD_LIST, K::ListView, "", {57, 7, 255, 294}, 0, "记录列表"},
    {IDC_PROGRESS, K::ProgressBar, "", {57, 308, 255, 10}, 0, "进度"},
    {IDC_QUERY_COUNT, K::Button, "查询数目", {7, 212, 42, 17}, 0, nullptr},
    {IDC_READ_ONE, K::Button, "单条读取", {7, 263, 42, 17}, 0, nullptr},
    {IDC_RECORD_COUNT, K::Edit, "", {7, 237, 42, 13}, ReadOnly | Centred, "记录数目"},
    {IDC_SINGLE_NUMBER, K::Edit, "", {7, 288, 42, 13}, Centred, "单条记录号"},
    {IDC_SET_KEY, K::Button, "Set key", {7, 378, 42, 6}, Hidden, nullptr},
    {IDC_READ_KEY, K::Button, "Read key", {115, 378, 42, 6}, Hidden, nullptr},
    {IDC_KEY_TEXT, K::Edit, "", {52, 372, 26, 12}, Hidden | ArialFont16, "Key"},
    {IDC_KEY_READBACK, K::Edit, "", {87, 372, 20, 12}, Hidden | ReadOnly | ArialFont16, "Key read back"},
    {IDC_OPEN_COMPARE, K::Button, "打开对比文件", {57, 323, 82, 17}, 0, nullptr},
    {IDC_DOWNLOAD_COMPARE, K::Button, "下载对比文件", {143, 323, 82, 17}, 0, nullptr},
    {IDC_DELETE_COMPARE, K::Button, "删除对比文件", {230, 323, 82, 17}, 0, nullptr},
    {IDC_REMOVE_DUPLICATES, K::Button, "删除重号", {7, 313, 42, 17}, 0, nullptr},
    {IDC_RANGE_START, K::Edit, "", {88, 356, 50, 14}, Centred, "起始"},
    {IDC_RANGE_END, K::Edit, "", {174, 356, 50, 14}, Centred, "结束"},
    {IDC_READ_RANGE, K::Button, "读取范围内记录", {230, 353, 82, 17}, 0, nullptr},
    {IDC_STATIC, K::Label, "起始：", {61, 359, 25, 8}, 0, nullptr},
    {IDC_STATIC, K::Label, "结束：", {148, 359, 25, 8}, 0, nullptr},
};

constexpr DialogTemplate kMainDialog = {IDD_KESTRIX_DIALOG, "Kestrix", 319, 391, "宋体", 9, kControls};

} // namespace

const DialogTemplate &mainDialogTemplate() { return kMainDialog; }

} // namespace kestrix

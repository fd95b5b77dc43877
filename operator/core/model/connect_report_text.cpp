// SPDX-License-Identifier: MIT
#include "connect_report_text.h"

#include <cstring>

#include "messages.h"

namespace kestrix {

namespace {

// The fixed fields are zero-terminated by the library; a field is never read
// past its end all the same.
template <std::size_t N> std::string fieldText(const char (&field)[N]) { return std::string(field, strnlen(field, N)); }

std::string reason(const KX_PortReport &port)
{
    switch (port.outcome) {
    case KX_PORT_ANSWERED: return "读卡器已应答";
    case KX_PORT_NOT_FOUND: return "没有此端口";
    case KX_PORT_NO_PERMISSION: return "没有权限。请运行 sudo usermod -aG dialout $USER，然后重新登录";
    case KX_PORT_BUSY: {
#if defined(_WIN32)
        // Windows refuses a port that another program has open with "access
        // denied" and does not say who holds it.
        return "拒绝访问：已被其他程序占用";
#else
        const std::string holder = fieldText(port.holder);
        if (port.holderPid > 0)
            return "已被程序 " + (holder.empty() ? std::string("?") : holder) + "（PID " +
                   std::to_string(port.holderPid) + "）占用";
        return "已被其他程序占用";
#endif
    }
    case KX_PORT_NOT_A_PORT: return "不是串口";
    case KX_PORT_NO_ANSWER: return "没有应答";
    case KX_PORT_WRONG_ANSWER: return "应答不正确（不是读卡器）";
    default: return "无法打开";
    }
}

} // namespace

std::string portReasonLine(const KX_PortReport &port) { return fieldText(port.name) + "：" + reason(port); }

std::string connectFailureText(std::span<const KX_PortReport> ports)
{
    std::string text = text::kConnectFailed;
    for (const auto &port : ports) {
        text += '\n';
        text += portReasonLine(port);
    }
    return text;
}

} // namespace kestrix

// SPDX-License-Identifier: MIT
// Why a connect failed, in the operator's words: one line per port the
// search tried, for the message box under "连接失败！" and for the
// command-line tool's standard error.
#pragma once

#include <span>
#include <string>

#include "kestlink.h"

namespace kestrix {

// "COM3：没有此端口" and the like; the permission line carries its fix.
std::string portReasonLine(const KX_PortReport &port);

// "连接失败！", then one line per port tried.
std::string connectFailureText(std::span<const KX_PortReport> ports);

} // namespace kestrix

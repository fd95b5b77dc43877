// SPDX-License-Identifier: MIT
// The ports the library's last search tried, for the text that says why a
// connect failed (connect_report_text.h).
#pragma once

#include <vector>

#include "connect_report_text.h"
#include "kestlink.h"

namespace kestrix {

// The ports the library's last search tried (KX_GetConnectReport).
std::vector<KX_PortReport> lastConnectReport();

} // namespace kestrix

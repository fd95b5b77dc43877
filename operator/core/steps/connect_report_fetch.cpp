// SPDX-License-Identifier: MIT
#include "connect_report.h"

namespace kestrix {

std::vector<KX_PortReport> lastConnectReport()
{
    // Asked twice: the count first, then the entries. Another search in
    // between may change the count; what it returns then is cut to fit.
    std::vector<KX_PortReport> ports(static_cast<std::size_t>(KX_GetConnectReport(nullptr, 0)));
    const int32_t tried = KX_GetConnectReport(ports.data(), static_cast<int32_t>(ports.size()));
    if (tried >= 0 && static_cast<std::size_t>(tried) < ports.size())
        ports.resize(static_cast<std::size_t>(tried));
    return ports;
}

} // namespace kestrix

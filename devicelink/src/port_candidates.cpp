// SPDX-License-Identifier: MIT
#include "port_candidates.h"

#include <cstdlib>

#include "discovery.h"

namespace kestlink {

namespace {

bool portDirSet()
{
#if defined(_WIN32)
    return false;
#else
    const char *dir = std::getenv("KESTLINK_PORT_DIR");
    return dir != nullptr && *dir != '\0';
#endif
}

} // namespace

std::vector<PortCandidate> readerPortCandidates()
{
    std::vector<PortCandidate> ports;
    for (int n = kFirstReaderPort; n <= kLastReaderPort; ++n) {
        const std::string name = "COM" + std::to_string(n);
        ports.push_back({name, name, PortKind::Com});
    }
    if (!portDirSet())
        for (auto &adapter : usbAdapterPorts())
            ports.push_back(std::move(adapter));
    return ports;
}

} // namespace kestlink

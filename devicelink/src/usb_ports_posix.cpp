// SPDX-License-Identifier: MIT
// USB serial adapters on Linux: udev gives each a stable link in
// /dev/serial/by-id (named after its maker, model and serial number, so the
// same adapter keeps its name when it comes back as ttyUSB1 after a replug).
// Without udev (containers, minimal systems) only the nodes are there.
#include "port_candidates.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>
#include <tuple>

namespace kestlink {

namespace fs = std::filesystem;

namespace {

// Where a path finally leads; the path itself when it leads nowhere, so that
// a dangling link is still tried (and reported) once.
std::string deviceOf(const fs::path &path)
{
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    return error ? path.string() : target.string();
}

// The USB-to-serial converters (ttyUSB) before the modems (ttyACM), each
// family in number order: ttyUSB2 before ttyUSB10.
std::tuple<bool, long, std::string> nodeOrder(const std::string &name)
{
    return {name.rfind("ttyACM", 0) == 0, std::strtol(name.c_str() + 6, nullptr, 10), name};
}

} // namespace

std::vector<PortCandidate> usbAdapterPorts(const std::string &devRoot)
{
    std::vector<PortCandidate> ports;
    std::set<std::string> reached;
    std::error_code error;

    std::vector<fs::path> links;
    for (fs::directory_iterator it(fs::path(devRoot) / "serial" / "by-id", error), end; !error && it != end;
         it.increment(error))
        links.push_back(it->path());
    std::sort(links.begin(), links.end());
    for (const auto &link : links)
        if (reached.insert(deviceOf(link)).second)
            ports.push_back({link.filename().string(), link.string(), PortKind::UsbById});

    error.clear();
    std::vector<std::string> nodes;
    for (fs::directory_iterator it(devRoot, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const bool numbered = name.size() > 6 && name.find_first_not_of("0123456789", 6) == std::string::npos;
        if ((name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0) && numbered)
            nodes.push_back(name);
    }
    std::sort(nodes.begin(), nodes.end(),
              [](const std::string &a, const std::string &b) { return nodeOrder(a) < nodeOrder(b); });
    for (const auto &name : nodes) {
        const fs::path node = fs::path(devRoot) / name;
        if (reached.insert(deviceOf(node)).second)
            ports.push_back({node.string(), node.string(), PortKind::UsbNode});
    }
    return ports;
}

} // namespace kestlink

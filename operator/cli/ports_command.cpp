// SPDX-License-Identifier: MIT
// kestlink ports: every port the search tries (COM3 to COM9, then the USB
// serial adapters), or the port --port names: its kind, where its name
// leads, and what it answered.
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "cli_commands.h"
#include "exit_status.h"
#include "kestlink/host.h"

namespace kestlink_cli {

namespace {

// Where the links of a name end, when that is elsewhere.
std::string linkTarget(const std::string &path)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error))
        return {};
    const auto target = std::filesystem::canonical(path, error);
    return error ? std::string("(a broken link)") : target.string();
}

const char *kindText(kestlink::PortKind kind)
{
    switch (kind) {
    case kestlink::PortKind::Com: return "COM port";
    case kestlink::PortKind::UsbById: return "USB adapter";
    case kestlink::PortKind::UsbNode: return "USB adapter (device node)";
    case kestlink::PortKind::Listed: return "listed COM port";
    }
    return "port";
}

std::string busyText(const kestlink::PortTry &tried)
{
    if (!tried.holder)
        return kestlink::describe(tried.failure);
    return "held by " + tried.holder->program + " (PID " + std::to_string(tried.holder->pid) + ")";
}

} // namespace

int runPorts(const CommonOptions &common)
{
    std::vector<kestlink::PortCandidate> ports;
    if (common.port)
        ports.push_back({*common.port, *common.port, kestlink::PortKind::Com});
    else
        ports = kestlink::readerPortCandidates();
    bool found = false;
    for (const auto &port : ports) {
        const kestlink::PortTry tried = kestlink::connectToPort(port.openName.c_str(), false);
        const std::string kind = common.port ? "named with --port" : kindText(port.kind);
        std::string line = port.name + "\t" + kind + "\t" + tried.path;
        if (const std::string target = linkTarget(tried.path); !target.empty())
            line += " -> " + target;
        line += "\t";
        if (!tried.opened) {
            line += busyText(tried);
        } else if (tried.answered) {
            // The search connects to the first that answers.
            line += found ? "the reader answers" : "the reader answers (used)";
            found = true;
        } else if (tried.replied) {
            line += "a wrong answer to the handshake";
        } else {
            line += "no answer to the handshake";
        }
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    return found ? kSuccess : kReaderFailed;
}

} // namespace kestlink_cli

// SPDX-License-Identifier: MIT
#include "session.h"

#include <cstdio>

#include "connect_report.h"
#include "kestlink.h"
#include "kestlink/host.h"
#include "messages.h"

namespace kestlink_cli {

namespace {

std::string describePort(const std::string &name, const std::string &path)
{
    return path.empty() || path == name ? name : name + " (" + path + ")";
}

} // namespace

void sayError(const std::string &where, const std::string &text)
{
    std::fprintf(stderr, "kestlink: %s%s%s\n", where.c_str(), where.empty() ? "" : ": ", text.c_str());
}

std::string firstLine(const std::string &text) { return text.substr(0, text.find('\n')); }

void sayNote(const CommonOptions &options, const std::string &text)
{
    if (!options.quiet)
        std::fprintf(stderr, "%s\n", text.c_str());
}

std::optional<Session> connectReader(const CommonOptions &options)
{
    if (options.port) {
        const auto &name = *options.port;
        const kestlink::PortTry tried = kestlink::connectToPort(name.c_str());
        const std::string where = describePort(name, tried.path);
        if (!tried.opened) {
            std::string why = std::string("cannot open the port: ") + kestlink::describe(tried.failure);
            sayError(where, why);
            return std::nullopt;
        }
        if (!tried.answered) {
            sayError(where, "the reader did not answer the handshake");
            return std::nullopt;
        }
        return Session{where};
    }
    if (KX_Connect() != 1) {
        // The operator's lines, as the dialog shows them.
        std::string lines = std::string("kestlink: ") + kestrix::text::kConnectFailed + "\n";
        for (const auto &port : kestrix::lastConnectReport())
            lines += "  " + kestrix::portReasonLine(port) + "\n";
        std::fputs(lines.c_str(), stderr);
        std::fprintf(stderr, "kestlink: `kestlink ports` shows where each port leads\n");
        return std::nullopt;
    }
    // The search leaves the channel on the port that answered, the last it tried.
    const auto report = kestlink::lastConnectReport();
    const std::string path = kestlink::connectedPortPath();
    return Session{report.empty() ? path : describePort(report.back().name, path)};
}

} // namespace kestlink_cli

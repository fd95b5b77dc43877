#include "session.h"

#include <cstdio>

#include "discovery.h"
#include "kestlink.h"
#include "link.h"
#include "port_name.h"
#include "trace.h"

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
            std::string why = std::string("cannot open the port: ") + kestlink::trace::describe(tried.failure);
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
        sayError("", "no reader answered on COM3 to COM9 (`kestlink ports` shows each port)");
        return std::nullopt;
    }
    // The search leaves the channel on the port that answered.
    const std::string path = kestlink::channel().lastOpenPath();
    for (int n = kestlink::kFirstReaderPort; n <= kestlink::kLastReaderPort; ++n) {
        const std::string name = "COM" + std::to_string(n);
        if (kestlink::portPath(name.c_str()) == path)
            return Session{describePort(name, path)};
    }
    return Session{path};
}

} // namespace kestlink_cli

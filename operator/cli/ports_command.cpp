// kestlink ports: COM3 to COM9 (or the port --port names), where each name
// leads, and which answers the handshake.
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "commands.h"
#include "discovery.h"
#include "exit_status.h"
#include "trace.h"

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

} // namespace

int runPorts(const CommonOptions &common)
{
    std::vector<std::string> names;
    if (common.port) {
        names.push_back(*common.port);
    } else {
        for (int n = kestlink::kFirstReaderPort; n <= kestlink::kLastReaderPort; ++n)
            names.push_back("COM" + std::to_string(n));
    }
    bool found = false;
    for (const auto &name : names) {
        const kestlink::PortTry tried = kestlink::connectToPort(name.c_str(), false);
        std::string line = name + "\t" + tried.path;
        if (const std::string target = linkTarget(tried.path); !target.empty())
            line += " -> " + target;
        line += "\t";
        if (!tried.opened) {
            line += kestlink::trace::describe(tried.failure);
        } else if (tried.answered) {
            // The search connects to the first that answers.
            line += found ? "the reader answers" : "the reader answers (used)";
            found = true;
        } else {
            line += "no answer to the handshake";
        }
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    return found ? kSuccess : kReaderFailed;
}

} // namespace kestlink_cli

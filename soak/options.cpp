// SPDX-License-Identifier: MIT
#include "options.h"

#include <charconv>
#include <ostream>
#include <random>
#include <string_view>

namespace soak {

namespace {

template <typename T> bool parseNumber(std::string_view text, T &value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

void usage(std::ostream &out)
{
    out << "usage: kestlink_soak [--calls N] [--seed S]\n"
           "  Drives the library against a virtual reader: N calls (default 10000), each a\n"
           "  random command with a random fault on its reply; S repeats a run.\n"
           "  Exits 0 only when every verdict, buffer, timing and leak figure is clean.\n";
}

} // namespace

std::optional<Options> parseOptions(int argc, char **argv, std::ostream &help, std::ostream &out)
{
    Options options;
    bool seedGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(help);
            options.helpOnly = true;
            return options;
        }
        if ((arg == "--calls" || arg == "--seed") && i + 1 < argc) {
            const std::string_view value = argv[++i];
            const bool ok = arg == "--calls" ? parseNumber(value, options.calls) && options.calls > 0
                                             : parseNumber(value, options.seed);
            if (ok) {
                seedGiven = seedGiven || arg == "--seed";
                continue;
            }
            out << "kestlink_soak: bad value for " << arg << ": " << value << '\n';
        } else {
            out << "kestlink_soak: unknown argument: " << arg << '\n';
        }
        usage(out);
        return std::nullopt;
    }
    if (!seedGiven)
        options.seed = (static_cast<std::uint64_t>(std::random_device{}()) << 32) ^ std::random_device{}();
    return options;
}

} // namespace soak

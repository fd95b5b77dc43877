// SPDX-License-Identifier: MIT
// The soak's command line: --calls N, --seed S.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>

namespace soak {

struct Options {
    std::size_t calls = 10000;
    std::uint64_t seed = 0;
    bool helpOnly = false; // --help: the usage was printed, nothing to run
};

// Nothing when the line is wrong, the reason then written to `errors`; the
// help goes to `help`. The seed is random when not given.
std::optional<Options> parseOptions(int argc, char **argv, std::ostream &help, std::ostream &errors);

} // namespace soak

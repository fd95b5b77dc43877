// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <vector>

#include "kestsim/fault.h"

namespace kestsim::cli {

struct CliOptions {
    std::vector<int> ports; // COM numbers; COM3 when none given
    std::size_t recordCount = 300;
    std::optional<std::filesystem::path> csvFile;
    std::optional<std::filesystem::path> directory;
    unsigned baud = 115200;
    std::vector<FaultRule> faults;
    bool log = false;
    bool help = false;
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws UsageError for anything it does not understand.
CliOptions parseCommandLine(int argc, const char *const *argv);

void printUsage(std::ostream &out);

} // namespace kestsim::cli

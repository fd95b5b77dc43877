// SPDX-License-Identifier: MIT
// The subcommands, each thin over the operator's shared steps and the
// library. Each returns the exit status (exit_status.h).
#pragma once

#include <optional>
#include <string>

#include "session.h"

namespace kestlink_cli {

struct ReadOptions {
    std::optional<int> first; // a range when either is given
    std::optional<int> last;
    std::optional<std::string> csv;
    bool json = false;
    bool dedup = false;
};

int runCount(const CommonOptions &common);
int runRead(const CommonOptions &common, const ReadOptions &options);
int runPorts(const CommonOptions &common);
int runSetClock(const CommonOptions &common, const std::optional<std::string> &time);
int runErase(const CommonOptions &common, bool yes);
int runCompareLoad(const CommonOptions &common, const std::string &file);
int runCompareErase(const CommonOptions &common, bool yes);

// The reader's domain block (20 bytes) and key (15 bytes), as hex.
enum class Block { Domain, Key };
int runBlockGet(const CommonOptions &common, Block block);
int runBlockSet(const CommonOptions &common, Block block, const std::string &hex);

} // namespace kestlink_cli

// SPDX-License-Identifier: MIT
// kestlink run as a real process by the tests (kestrix_testing's
// ChildProcess, with the tool's path put first).
#pragma once

#include <string>
#include <vector>

#include "kestrix_testing/child_process.h"

namespace kestlink_cli::test {

using ToolSetup = kestrix::testing::ChildSetup;

class Tool : public kestrix::testing::ChildProcess {
public:
    explicit Tool(const std::vector<std::string> &args, const ToolSetup &setup = {});
};

// A run to its end: status, output and errors.
struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};
ToolResult runTool(const std::vector<std::string> &args, const ToolSetup &setup = {});

} // namespace kestlink_cli::test

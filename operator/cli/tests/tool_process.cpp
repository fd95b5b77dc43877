// SPDX-License-Identifier: MIT
#include "tool_process.h"

namespace kestlink_cli::test {

namespace {
std::vector<std::string> withTool(const std::vector<std::string> &args)
{
    std::vector<std::string> argv{KESTLINK_TOOL};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}
} // namespace

Tool::Tool(const std::vector<std::string> &args, const ToolSetup &setup) : ChildProcess(withTool(args), setup) {}

ToolResult runTool(const std::vector<std::string> &args, const ToolSetup &setup)
{
    Tool tool(args, setup);
    ToolResult result;
    result.status = tool.wait();
    result.out = tool.output();
    result.err = tool.errors();
    return result;
}

} // namespace kestlink_cli::test

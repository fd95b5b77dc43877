// SPDX-License-Identifier: MIT
// Wrong usage, --help and --version: answered without a reader.
#include <gtest/gtest.h>

#include "tool_process.h"

namespace kestlink_cli::test {
namespace {

TEST(Usage, WrongUsageExits2AndSaysWhat)
{
    const struct {
        std::vector<std::string> args;
        const char *said; // on standard error
    } cases[] = {
        {{}, "subcommand"},
        {{"bogus"}, "bogus"},
        {{"read", "--first", "x"}, "--first"},
        {{"read", "--first", "-1"}, "--first"},
        {{"read", "--jsn"}, "--jsn"},
        {{"count", "extra"}, "extra"},
        {{"set-clock", "--time", "2024-13-01 00:00:00"}, "2024-13-01 00:00:00"},
        {{"set-clock", "--time"}, "--time"},
        {{"compare"}, "subcommand"},
        {{"compare", "load"}, "FILE"},
        {{"domain", "set", "00ff"}, "20 bytes"},
        {{"key", "set", std::string(30, 'g')}, "15 bytes"},
        {{"key"}, "subcommand"},
        // Nobody to ask: standard input is /dev/null.
        {{"erase"}, "--yes"},
        {{"compare", "erase"}, "--yes"},
    };
    for (const auto &c : cases) {
        const ToolResult run = runTool(c.args);
        std::string shown;
        for (const auto &arg : c.args)
            shown += arg + " ";
        EXPECT_EQ(run.status, 2) << shown << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << shown << run.err;
        EXPECT_EQ(run.out, "") << shown;
    }
}

TEST(Usage, HelpOnEveryLevelAndTheVersion)
{
    const std::vector<std::vector<std::string>> levels = {
        {},
        {"count"},
        {"read"},
        {"set-clock"},
        {"erase"},
        {"compare"},
        {"compare", "load"},
        {"compare", "erase"},
        {"domain"},
        {"domain", "get"},
        {"domain", "set"},
        {"key"},
        {"key", "set"},
        {"ports"},
    };
    for (auto args : levels) {
        const std::string level = args.empty() ? "kestlink" : args.back();
        args.push_back("--help");
        const ToolResult run = runTool(args);
        EXPECT_EQ(run.status, 0) << level;
        EXPECT_NE(run.out.find("Usage"), std::string::npos) << level << run.out;
        EXPECT_NE(run.out.find("--port"), std::string::npos) << level << run.out;
    }
    const ToolResult version = runTool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "1.0.0.1\n");
}

} // namespace
} // namespace kestlink_cli::test

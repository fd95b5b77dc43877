// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "kestrix_testing/child_process.h"
#include "host_terminal.h"
#include "wire_bytes.h"

namespace kestsim {
namespace {

using namespace std::chrono_literals;
using kestrix::testing::ChildProcess;
using test::Bytes;
using test::HostTerminal;
using test::request;

namespace fs = std::filesystem;

std::vector<std::string> cli(std::vector<std::string> args)
{
    args.insert(args.begin(), KESTSIM_CLI_PATH);
    return args;
}

// Reads the port directory the program announces first.
std::optional<fs::path> announcedDirectory(ChildProcess &child)
{
    const auto line = child.readLine(10s);
    const std::string prefix = "KESTLINK_PORT_DIR=";
    if (!line || !line->starts_with(prefix))
        return std::nullopt;
    return fs::path(line->substr(prefix.size()));
}

TEST(Cli, HelpExplainsEveryOptionAndFault)
{
    ChildProcess child(cli({"--help"}));
    EXPECT_EQ(child.wait(), 0);
    for (const char *word :
         {"--port",       "--records",  "--csv",         "--dir", "--baud",
          "--fault",      "--log",      "no-reply",      "short", "wrong-length",
          "bad-checksum", "bad-status", "trailing-byte", "late",  "split",
          "hang-up",      "delay",      "stray",         "noise", "KIND[=MS][/HEX][:CMD][@N][xTIMES]",
          "read-record",  "Example"}) {
        EXPECT_NE(child.output().find(word), std::string::npos) << word;
    }
}

TEST(Cli, InvalidArgumentsExitWith2)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"},
        {"--port"},
        {"--port", "0"},
        {"--port", "3", "--port", "3"},
        {"--records", "65536"},
        {"--records", "-1"},
        {"--records", "5", "--csv", "file.csv"},
        {"--baud", "fast"},
        {"--fault", "boom"},
        {"--fault", "late:0x100"},
        {"--fault", "delay"},
        {"--fault", "short=5"},
        {"--fault", "stray/0"},
        {"--log=yes"},
    };
    for (const auto &args : cases) {
        SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : ""));
        ChildProcess child(cli(args));
        EXPECT_EQ(child.wait(), 2);
        EXPECT_TRUE(child.output().empty());
        EXPECT_FALSE(child.errors().empty());
    }
}

TEST(Cli, ServesOnTheAnnouncedDirectoryUntilSigterm)
{
    ChildProcess child(cli({"--port", "5", "--records", "1000", "--log"}));
    const auto directory = announcedDirectory(child);
    ASSERT_TRUE(directory) << child.errors();
    {
        HostTerminal host((*directory / "COM5").string());
        EXPECT_EQ(test::exchange(host, request(0x00), 5), (Bytes{0xA5, 0x00, 0x00, 0x00, 0x5A}));
        EXPECT_EQ(test::exchange(host, request(0x04), 7), (Bytes{0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A}));
    }
    child.signal(SIGTERM);
    EXPECT_EQ(child.wait(), 0);
    EXPECT_FALSE(fs::exists(*directory));
    EXPECT_NE(child.errors().find("COM5 <- AA 00 00 00 55"), std::string::npos) << child.errors();
}

TEST(Cli, ServesTheRecordsOfACsvFileWithFaults)
{
    char path[] = "/tmp/kestsim-cli-csv-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    std::ofstream(path) << "00001,999 012345678901,2024/05/06 07:08:09, \n"
                           "00002,999 012345678902,2024/05/06 07:08:10,1\n";
    ChildProcess child(cli({"--csv", path, "--baud", "0", "--fault", "bad-status:query-count@2"}));
    const auto directory = announcedDirectory(child);
    ASSERT_TRUE(directory) << child.errors();
    {
        HostTerminal host((*directory / "COM3").string());
        EXPECT_EQ(test::exchange(host, request(0x04), 7), test::reply(0x04, {2, 0}));
        EXPECT_EQ(test::exchange(host, request(0x04), 6), test::statusReply(0x04, 1));
    }
    child.signal(SIGINT);
    EXPECT_EQ(child.wait(), 0);
    ::unlink(path);
}

TEST(Cli, TakesTimedFaultsAndSaysThemBack)
{
    ChildProcess child(cli({"--baud", "0", "--fault", "delay=24:query-count", "--fault", "stray=4/0d0a:query-count"}));
    const auto directory = announcedDirectory(child);
    ASSERT_TRUE(directory) << child.errors();
    {
        HostTerminal host((*directory / "COM3").string());
        const auto sent = test::TestClock::now();
        host.send(request(0x04));
        const auto arrivals = host.receive(9);
        EXPECT_EQ(HostTerminal::bytesOf(arrivals), test::concat({test::reply(0x04, {0x2C, 0x01}), {0x0D, 0x0A}}));
        ASSERT_FALSE(arrivals.empty());
        EXPECT_GE(arrivals.front().at - sent, 24ms);
    }
    child.signal(SIGTERM);
    EXPECT_EQ(child.wait(), 0);
    for (const char *line : {"fault delay=24:query-count\n", "fault stray=4/0d0a:query-count\n"}) {
        EXPECT_NE(child.errors().find(line), std::string::npos) << child.errors();
    }
}

TEST(Cli, UnreadableCsvExitsWith1)
{
    ChildProcess child(cli({"--csv", "/nonexistent/records.csv"}));
    EXPECT_EQ(child.wait(), 1);
    EXPECT_NE(child.errors().find("/nonexistent/records.csv"), std::string::npos);
}

} // namespace
} // namespace kestsim

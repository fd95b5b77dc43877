// SPDX-License-Identifier: MIT
// Which USB serial adapters a search tries, from a folder laid out as /dev:
// the links udev makes in serial/by-id, else the ttyUSB and ttyACM nodes,
// each device once, in an order that does not depend on the folder's.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "discovery.h"
#include "port_candidates.h"
#include "port_holder.h"
#include "pty_pair.h"

namespace kestlink {
namespace {

namespace fs = std::filesystem;

class UsbPortsTest : public ::testing::Test {
protected:
    void node(const std::string &name) { std::ofstream(dev / name) << ""; }
    void byId(const std::string &name, const std::string &target)
    {
        fs::create_directories(dev / "serial" / "by-id");
        fs::create_symlink(target, dev / "serial" / "by-id" / name);
    }
    std::vector<std::string> found(PortKind *firstKind = nullptr)
    {
        std::vector<std::string> names;
        const auto ports = usbAdapterPorts(dev.string());
        for (const auto &port : ports)
            names.push_back(port.name);
        if (firstKind != nullptr && !ports.empty())
            *firstKind = ports.front().kind;
        return names;
    }

    ScratchDir scratch;
    fs::path dev = scratch.path();
};

TEST_F(UsbPortsTest, ByIdLinksFirstThenNodesNoLinkLeadsTo)
{
    node("ttyUSB0");
    node("ttyUSB1");
    node("ttyACM0");
    node("ttyS0");
    byId("usb-Maker_Zeta_Z9-if00-port0", "../../ttyUSB1");
    byId("usb-Maker_Alpha_A1-if00-port0", "../../ttyUSB0");
    PortKind first{};
    EXPECT_EQ(found(&first), (std::vector<std::string>{"usb-Maker_Alpha_A1-if00-port0", "usb-Maker_Zeta_Z9-if00-port0",
                                                       (dev / "ttyACM0").string()}));
    EXPECT_EQ(first, PortKind::UsbById);
    // What the search opens is the link, so that a replug under a new node
    // name is followed.
    EXPECT_EQ(usbAdapterPorts(dev.string()).front().openName,
              (dev / "serial" / "by-id" / "usb-Maker_Alpha_A1-if00-port0").string());
}

TEST_F(UsbPortsTest, WithoutUdevTheNodesInNumberOrder)
{
    for (const char *name : {"ttyUSB10", "ttyUSB2", "ttyACM1", "ttyUSB0", "ttyACM0", "ttyUSB", "ttyUSB1.lock"})
        node(name);
    PortKind first{};
    const auto names = found(&first);
    std::vector<std::string> expected;
    for (const char *name : {"ttyUSB0", "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyACM1"})
        expected.push_back((dev / name).string());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(first, PortKind::UsbNode);
}

TEST_F(UsbPortsTest, DanglingAndDoubleLinksAreTriedOnce)
{
    node("ttyUSB0");
    byId("usb-A-if00-port0", "../../ttyUSB0");
    byId("usb-A-if00-port0-again", "../../ttyUSB0"); // a second name of one device
    byId("usb-Gone-if00-port0", "../../ttyUSB7");    // its adapter was pulled
    EXPECT_EQ(found(), (std::vector<std::string>{"usb-A-if00-port0", "usb-Gone-if00-port0"}));
}

TEST_F(UsbPortsTest, NoFolderNoAdapters)
{
    dev /= "missing";
    EXPECT_TRUE(found().empty());
}

TEST(PortCandidatesTest, APortFolderIsExactlyCom3ToCom9)
{
    ::setenv("KESTLINK_PORT_DIR", "/nonexistent-kestlink-ports", 1);
    const auto ports = readerPortCandidates();
    ::unsetenv("KESTLINK_PORT_DIR");
    ASSERT_EQ(ports.size(), 7u);
    EXPECT_EQ(ports.front().name, "COM3");
    EXPECT_EQ(ports.back().name, "COM9");
    for (const auto &port : ports)
        EXPECT_EQ(port.kind, PortKind::Com);
}

// The holder of a busy port is named: the advisory lock serial programs take
// and, for one that only keeps it open, its open file.
TEST(PortHolderTest, NamesTheProcessHoldingThePort)
{
    PtyPair pty;
    const std::string path = pty.terminalPath();
    for (const bool locks : {true, false}) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
            if (fd < 0 || (locks && ::flock(fd, LOCK_EX) != 0))
                ::_exit(1);
            (void)!::write(ready[1], "x", 1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);

        const auto holder = portHolder(path);
        ASSERT_TRUE(holder.has_value()) << (locks ? "locked" : "open");
        EXPECT_EQ(holder->pid, child);
        EXPECT_FALSE(holder->program.empty());
        if (locks) {
            // The search reports it busy, with its holder.
            const PortTry tried = connectToPort(path.c_str(), false);
            EXPECT_EQ(tried.outcome(), PortOutcome::Busy);
            ASSERT_TRUE(tried.holder.has_value());
            EXPECT_EQ(tried.holder->pid, child);
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    EXPECT_FALSE(portHolder(path).has_value()) << "nobody else holds it now";
}

} // namespace
} // namespace kestlink

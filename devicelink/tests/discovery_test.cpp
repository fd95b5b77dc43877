// SPDX-License-Identifier: MIT
// Finding the reader on COM3 to COM9.
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "link_fixture.h"

using kestsim::FaultKind;
using kestsim::FaultRule;

namespace {
constexpr std::uint8_t kHandshake = 0x00;
constexpr std::uint8_t kQueryCount = 0x04;

// Which reader the connection ended up on: the one that answers next.
void expectConnectedTo(kestlink::test::LinkUnderTest &link, kestsim::VirtualReader &reader)
{
    reader.clearRequests();
    std::uint16_t count = 0;
    EXPECT_EQ(link.queryNumber(&count), 1);
    EXPECT_EQ(codesOf(reader), std::vector<std::uint8_t>{kQueryCount});
}
} // namespace

TEST_P(LinkTest, FindsTheReaderOnCom5Only)
{
    auto &reader = addReader(5);
    EXPECT_EQ(link().connect(), 1);
    EXPECT_EQ(codesOf(reader), std::vector<std::uint8_t>{kHandshake});
    expectConnectedTo(link(), reader);
}

TEST_P(LinkTest, TwoReadersTheLowerPortWins)
{
    auto &com4 = addReader(4);
    auto &com6 = addReader(6);
    EXPECT_EQ(link().connect(), 1);
    expectConnectedTo(link(), com4);
    EXPECT_EQ(com6.requestCount(), 0u);
}

TEST_P(LinkTest, SilentTerminalIsSkipped)
{
    auto &silent = sim.addSilentTerminal(3);
    auto &reader = addReader(4);
    EXPECT_EQ(link().connect(), 1);
    EXPECT_EQ(codesOf(silent), std::vector<std::uint8_t>{kHandshake}) << "COM3 was asked first";
    expectConnectedTo(link(), reader);
    EXPECT_EQ(silent.requestCount(), 1u);
}

TEST_P(LinkTest, HandshakeRepliesAreJudgedByFirstAndFifthByte)
{
    struct Case {
        const char *what;
        FaultKind fault;
        int expected;
    };
    const Case cases[] = {
        {"short reply", FaultKind::ShortReply, 0},
        {"a refusal: fifth byte is not 0x5A", FaultKind::BadStatus, 0},
        {"no reply", FaultKind::NoReply, 0},
        {"reply after the read", FaultKind::LateReply, 0},
        {"reply split by a gap", FaultKind::SplitReply, 0},
        {"other middle bytes", FaultKind::WrongLength, 1},
        {"bad checksum is not examined", FaultKind::BadChecksum, 1},
    };
    auto &reader = addReader(3);
    for (const auto &c : cases) {
        reader.clearFaults();
        reader.addFault(FaultRule{c.fault, kHandshake, 1, std::nullopt});
        EXPECT_EQ(link().connect(), c.expected) << c.what;
    }
}

// With a port folder, the search is COM3 to COM9 of it. Windows tries the
// COM ports the system lists as well (COM1 among them in a Wine prefix made
// on a machine with a serial port): wine/listed_ports_test.sh holds the
// Windows builds to that, with a reader on an unlisted COM11 never asked.
TEST_P(LinkTest, PortsOutsideThreeToNineAreNeverTried)
{
    if (GetParam() != kestlink::test::Build::Native)
        GTEST_SKIP() << "Windows also tries the COM ports the system lists; wine/listed_ports_test.sh tests that";
    auto &com2 = addReader(2);
    auto &com10 = addReader(10);
    auto &com1 = addReader(1);
    EXPECT_EQ(link().connect(), 0);
    EXPECT_EQ(com1.requestCount() + com2.requestCount() + com10.requestCount(), 0u);
}

TEST_P(LinkTest, RegularFileNamedCom3IsLeftUntouched)
{
    const std::string file = sim.portDirectory() + "/COM3";
    {
        std::ofstream(file) << "not a port\n";
    }
    struct stat before {};
    ::stat(file.c_str(), &before);
    auto &reader = addReader(4);

    EXPECT_EQ(link().connect(), 1);
    expectConnectedTo(link(), reader);

    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    std::ifstream in(file);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "not a port\n");
    std::filesystem::remove(file);
}

TEST_P(LinkTest, ConnectingAgainStartsOverFromCom3)
{
    auto &com5 = addReader(5);
    EXPECT_EQ(link().connect(), 1);
    expectConnectedTo(link(), com5);
    auto &com3 = addReader(3);
    EXPECT_EQ(link().connect(), 1);
    expectConnectedTo(link(), com3);
}

TEST_P(LinkTest, NoReaderMeansClosedAndEveryCommandSendsNothing)
{
    auto &silent = sim.addSilentTerminal(3);
    EXPECT_EQ(link().connect(), 0);
    silent.clearRequests();

    TagRecord record;
    std::uint16_t count = 7;
    const DeviceTime time = {0x20, 24, 1, 1, 0, 0, 0};
    const CompareEntry entry = {{'1'}};
    std::uint8_t buffer[32] = {};
    std::uint16_t length = 7;
    EXPECT_EQ(link().readData(0, &record), 0);
    EXPECT_EQ(link().deleteAllData(), 0);
    EXPECT_EQ(link().queryNumber(&count), 0);
    EXPECT_EQ(link().setTime(&time), 0);
    EXPECT_EQ(link().loadCmpData(0, &entry), 0);
    EXPECT_EQ(link().deleteCmpData(), 0);
    EXPECT_EQ(link().readCmpData(0, buffer), 0);
    EXPECT_EQ(link().setDomain(buffer, 0), 0);
    EXPECT_EQ(link().getDomain(buffer, &length), 0);
    EXPECT_EQ(link().setKey(buffer), 0);
    EXPECT_EQ(link().getKey(buffer), 0);
    EXPECT_EQ(count, 7);
    EXPECT_EQ(length, 7);
    EXPECT_EQ(silent.requestCount(), 0u);
    EXPECT_EQ(link().close(), 1);
    EXPECT_EQ(link().close(), 1);
}

// Another program left the port at 9600 baud, 7 data bits, even parity, two
// stop bits: while connected the line is the reader's 115200 8N1, whatever
// parity was left; once closed, it is as it was found.
TEST_P(LinkTest, ThePortIsTheReadersWhileConnectedAndAsFoundAfterwards)
{
    addReader(3);
    // Held open from before the connect, to look at the line the library sets.
    const int terminal = ::open(sim.terminalPath(3).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(terminal, 0);
    struct termios found {};
    ASSERT_EQ(::tcgetattr(terminal, &found), 0);
    ::cfsetispeed(&found, B9600);
    ::cfsetospeed(&found, B9600);
    found.c_cflag = (found.c_cflag & ~(CSIZE | PARODD)) | CS7 | PARENB | CSTOPB;
    ASSERT_EQ(::tcsetattr(terminal, TCSANOW, &found), 0);
    ASSERT_EQ(::tcgetattr(terminal, &found), 0);

    ASSERT_EQ(link().connect(), 1);
    struct termios during {};
    ASSERT_EQ(::tcgetattr(terminal, &during), 0);
    EXPECT_EQ(::cfgetospeed(&during), B115200);
    EXPECT_EQ(during.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(during.c_cflag & (PARENB | CSTOPB), 0u) << "no parity bit, one stop bit";

    EXPECT_EQ(link().close(), 1);
    struct termios after {};
    ASSERT_EQ(::tcgetattr(terminal, &after), 0);
    EXPECT_EQ(::cfgetospeed(&after), B9600);
    EXPECT_EQ(after.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB), found.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB));
    ::close(terminal);
}

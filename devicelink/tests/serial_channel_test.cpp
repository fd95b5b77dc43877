// SPDX-License-Identifier: MIT
// The POSIX serial channel over real pseudo-terminals.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "discovery.h"
#include "pty_pair.h"
#include "serial_channel.h"

using kestlink::OpenFailure;
using kestlink::SerialChannel;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

class ChannelTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("KESTLINK_PORT_DIR", dir.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("KESTLINK_PORT_DIR"); }

    void linkPort(const char *name, const std::string &target)
    {
        std::filesystem::create_symlink(target, dir.file(name));
    }
    bool openOnPty()
    {
        linkPort("COM3", pty.terminalPath());
        if (!channel.open("COM3"))
            return false;
        kestlink::applyReaderLine(channel);
        return true;
    }

    ScratchDir dir;
    PtyPair pty;
    SerialChannel channel;
};

long long msSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

} // namespace

TEST_F(ChannelTest, OpensATerminalExclusivelyAndRestoresItsSettings)
{
    struct termios before {};
    ::tcgetattr(pty.master(), &before);
    ASSERT_TRUE(openOnPty());
    EXPECT_FALSE(channel.isClosed());

    struct termios during {};
    ::tcgetattr(pty.master(), &during);
    EXPECT_EQ(::cfgetospeed(&during), B115200);
    EXPECT_EQ(during.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(during.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_NE(during.c_cflag & CLOCAL, 0u);
    EXPECT_NE(during.c_cflag & CREAD, 0u);
    EXPECT_EQ(during.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP), 0u);
    EXPECT_EQ(during.c_oflag & OPOST, 0u);
    EXPECT_EQ(during.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);

    // A second opener in the same or another program is refused while held.
    SerialChannel other;
    EXPECT_FALSE(other.open("COM3"));
    EXPECT_EQ(other.lastOpenFailure(), OpenFailure::Busy);

    EXPECT_TRUE(channel.close());
    EXPECT_TRUE(channel.isClosed());
    struct termios after {};
    ::tcgetattr(pty.master(), &after);
    EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&before));
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_TRUE(other.open("COM3")) << "the lock goes with the close";
}

TEST_F(ChannelTest, PortHeldByAnotherProgramIsBusy)
{
    linkPort("COM4", pty.terminalPath());
    const int holder = ::open(pty.terminalPath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(channel.open("COM4"));
    EXPECT_EQ(channel.lastOpenFailure(), OpenFailure::Busy);
    EXPECT_TRUE(channel.isClosed());
    ::close(holder);
}

TEST_F(ChannelTest, WhatIsNotATerminalIsNeverOpened)
{
    const std::string file = dir.file("COM3");
    {
        std::ofstream(file) << "operator notes\n";
    }
    ::chmod(file.c_str(), 0644);
    struct stat before {};
    ::stat(file.c_str(), &before);
    std::filesystem::create_directory(dir.file("COM4"));
    linkPort("COM5", "/dev/null");

    struct Case {
        const char *port;
        OpenFailure failure;
    };
    const Case cases[] = {{"COM3", OpenFailure::NotATerminal},
                          {"COM4", OpenFailure::NotATerminal},
                          {"COM5", OpenFailure::NotATerminal},
                          {"COM6", OpenFailure::NotFound}};
    for (const auto &c : cases) {
        EXPECT_FALSE(channel.open(c.port)) << c.port;
        EXPECT_EQ(channel.lastOpenFailure(), c.failure) << c.port;
        EXPECT_TRUE(channel.isClosed());
    }

    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "operator notes\n");
}

TEST_F(ChannelTest, OpeningAgainClosesThePreviousPort)
{
    ASSERT_TRUE(openOnPty());
    PtyPair second;
    linkPort("COM4", second.terminalPath());
    ASSERT_TRUE(channel.open("COM4"));
    SerialChannel other;
    EXPECT_TRUE(other.open("COM3")) << "COM3 was released by the second open";
}

TEST_F(ChannelTest, EveryByteValueCrossesUnalteredBothWays)
{
    ASSERT_TRUE(openOnPty());
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);

    ASSERT_TRUE(channel.write(reinterpret_cast<const std::uint8_t *>(all.data()), all.size()));
    EXPECT_EQ(pty.readMaster(500), all);

    pty.writeMaster(all.data(), all.size());
    std::uint8_t buffer[256];
    std::size_t received = 0;
    kestlink::Timeouts generous;
    generous.readIntervalMs = 200;
    generous.readTotalConstantMs = 2000;
    channel.setTimeouts(generous);
    ASSERT_TRUE(channel.read(buffer, sizeof buffer, &received));
    ASSERT_EQ(received, 256u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), received), all);
}

TEST_F(ChannelTest, ReadEndsAtTheGapAfterTheLastByte)
{
    ASSERT_TRUE(openOnPty());
    std::thread far([&] {
        pty.writeMaster("\x01\x02\x03", 3);
        std::this_thread::sleep_for(80ms);
        pty.writeMaster("\x04\x05", 2);
    });
    std::uint8_t buffer[64];
    std::size_t received = 0;
    EXPECT_TRUE(channel.read(buffer, sizeof buffer, &received));
    far.join();
    EXPECT_EQ(received, 3u) << "bytes after a silence of more than 20 ms belong to no read";
}

TEST_F(ChannelTest, ReadWithNothingLastsTheTotalTimeout)
{
    ASSERT_TRUE(openOnPty());
    std::uint8_t buffer[64];
    std::size_t received = 99;
    const auto start = Clock::now();
    EXPECT_TRUE(channel.read(buffer, sizeof buffer, &received));
    EXPECT_GE(msSince(start), 138);
    EXPECT_EQ(received, 0u);
}

TEST_F(ChannelTest, ReadReturnsWhenTheRequestedCountArrived)
{
    ASSERT_TRUE(openOnPty());
    pty.writeMaster("\xA5\x00\x00\x00\x5A\x99", 6);
    std::uint8_t buffer[5] = {};
    std::size_t received = 0;
    EXPECT_TRUE(channel.read(buffer, sizeof buffer, &received));
    EXPECT_EQ(received, 5u);
    EXPECT_EQ(buffer[4], 0x5A);
}

namespace {
// Complete once `size` bytes are in: stands for a reply of that size, which
// begins with the first 0xA5.
class CompleteAt final : public kestlink::ReadCompletion {
public:
    explicit CompleteAt(std::size_t size) : size_(size) {}
    std::size_t bytesStillNeeded(std::span<const std::uint8_t> received) const override
    {
        return received.size() >= size_ ? 0 : size_ - received.size();
    }
    bool begun(std::span<const std::uint8_t> received) const override
    {
        return std::find(received.begin(), received.end(), 0xA5) != received.end();
    }

private:
    std::size_t size_;
};
} // namespace

TEST_F(ChannelTest, ACompletedReadTakesNoMoreThanItNeeds)
{
    ASSERT_TRUE(openOnPty());
    // What follows a complete reply in the driver's queue is left there, for
    // the next purge, as a driver asked for just the reply's bytes leaves it.
    pty.writeMaster("\xA5\x05\x01\x00\x06\x5A\x0D\x0A", 8);
    std::this_thread::sleep_for(20ms);
    std::uint8_t buffer[64];
    std::size_t received = 0;
    const CompleteAt sixBytes(6);
    EXPECT_TRUE(channel.read(buffer, sizeof buffer, &received, &sixBytes));
    EXPECT_EQ(received, 6u);
    EXPECT_TRUE(channel.read(buffer, sizeof buffer, &received));
    EXPECT_EQ(received, 2u) << "the line end stayed queued";
}

TEST_F(ChannelTest, SilenceAfterBytesThatAreNoReplyDoesNotEndTheRead)
{
    ASSERT_TRUE(openOnPty());
    std::thread far([&] {
        pty.writeMaster("\x0D\x0A", 2); // what the last reply left
        std::this_thread::sleep_for(60ms);
        pty.writeMaster("\xA5\x05\x01\x00\x06\x5A", 6);
    });
    std::uint8_t buffer[64];
    std::size_t received = 0;
    const CompleteAt eightBytes(8);
    EXPECT_TRUE(channel.read(buffer, sizeof buffer, &received, &eightBytes));
    far.join();
    EXPECT_EQ(received, 8u) << "the 60 ms after the line end are no gap inside a reply";
}

TEST_F(ChannelTest, ACompletionKeepsTheTimeoutsOfTheWholeRead)
{
    ASSERT_TRUE(openOnPty());
    // Nothing comes: asking for six bytes still waits the 138 ms a 64-byte
    // read is given, not the 22 ms a 6-byte read would be.
    std::uint8_t buffer[64];
    std::size_t received = 99;
    const CompleteAt sixBytes(6);
    const auto start = Clock::now();
    EXPECT_TRUE(channel.read(buffer, sizeof buffer, &received, &sixBytes));
    EXPECT_GE(msSince(start), 138);
    EXPECT_EQ(received, 0u);
}

TEST_F(ChannelTest, PurgeDiscardsWhatWaits)
{
    ASSERT_TRUE(openOnPty());
    pty.writeMaster("stale", 5);
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(channel.purge());
    std::uint8_t buffer[64];
    std::size_t received = 99;
    EXPECT_TRUE(channel.read(buffer, sizeof buffer, &received));
    EXPECT_EQ(received, 0u);
}

namespace {
std::atomic<int> signalsTaken{0};
void countSignal(int) { ++signalsTaken; }
} // namespace

TEST_F(ChannelTest, SignalsNeitherShortenNorBreakARead)
{
    ASSERT_TRUE(openOnPty());
    struct sigaction action {};
    action.sa_handler = countSignal; // no SA_RESTART: every blocking call sees EINTR
    ::sigaction(SIGUSR1, &action, nullptr);

    const pthread_t reader = ::pthread_self();
    std::atomic<bool> done{false};
    std::thread storm([&] {
        while (!done) {
            ::pthread_kill(reader, SIGUSR1);
            std::this_thread::sleep_for(1ms);
        }
    });

    std::uint8_t buffer[64];
    std::size_t received = 0;
    const auto start = Clock::now();
    EXPECT_TRUE(channel.read(buffer, sizeof buffer, &received));
    const auto waited = msSince(start);

    std::thread far([&] {
        for (int i = 0; i < 4; ++i) {
            pty.writeMaster("ab", 2);
            std::this_thread::sleep_for(5ms);
        }
    });
    // The pieces come 5 ms apart, but a busy machine may run the writer late:
    // a gap far longer than that, so that only the signals could end the
    // read early.
    kestlink::Timeouts patient;
    patient.readIntervalMs = 500;
    patient.readTotalConstantMs = 5000;
    channel.setTimeouts(patient);
    std::size_t trickled = 0;
    EXPECT_TRUE(channel.read(buffer, sizeof buffer, &trickled));
    far.join();
    done = true;
    storm.join();
    ::signal(SIGUSR1, SIG_DFL);

    EXPECT_GT(signalsTaken.load(), 10);
    EXPECT_GE(waited, 138);
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(trickled, 8u);
}

TEST_F(ChannelTest, HangUpFailsWithoutHanging)
{
    ASSERT_TRUE(openOnPty());
    pty.hangUp();
    std::uint8_t buffer[64];
    std::size_t received = 0;
    EXPECT_FALSE(channel.read(buffer, sizeof buffer, &received));
    EXPECT_EQ(received, 0u);
    const std::uint8_t request[] = {0xAA, 0x04, 0x00, 0x04, 0x55};
    EXPECT_FALSE(channel.write(request, sizeof request));
    EXPECT_TRUE(channel.close());
}

TEST(ClosedChannel, RefusesEverything)
{
    SerialChannel channel;
    std::uint8_t buffer[8];
    std::size_t count = 7;
    EXPECT_TRUE(channel.isClosed());
    EXPECT_FALSE(channel.write(buffer, 1, &count));
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(channel.read(buffer, sizeof buffer, &count));
    EXPECT_FALSE(channel.purge());
    EXPECT_TRUE(channel.close());
    EXPECT_TRUE(channel.close());
}

TEST_F(ChannelTest, WriteToALineThatStopsDrainingGivesUp)
{
    ASSERT_TRUE(openOnPty());
    // Nobody reads the far end, so the terminal's queue fills and stays full.
    const std::vector<std::uint8_t> flood(1 << 20, 0x42);
    std::size_t written = 0;
    const auto start = Clock::now();
    EXPECT_FALSE(channel.write(flood.data(), flood.size(), &written));
    EXPECT_GE(msSince(start), 1000);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, flood.size());
}

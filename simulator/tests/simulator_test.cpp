// SPDX-License-Identifier: MIT
#include "kestsim/simulator.h"

#include <gtest/gtest.h>

#include <thread>

#include "host_terminal.h"
#include "kestsim/sample_records.h"
#include "kestsim/virtual_reader.h"
#include "wire_bytes.h"

namespace kestsim {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::HostTerminal;
using test::request;

namespace fs = std::filesystem;

TEST(Simulator, EachReaderAnswersOnItsOwnPortAndLogsOnlyItsOwnRequests)
{
    Simulator sim;
    auto &two = sim.addReader(2, {sampleRecords(1), 0, nullptr});
    auto &ten = sim.addReader(10, {sampleRecords(1000), 0, nullptr});
    HostTerminal hostTwo(sim.portPath(2).string());
    HostTerminal hostTen(sim.portPath(10).string());

    EXPECT_EQ(test::exchange(hostTwo, request(0x04), 7), test::reply(0x04, {1, 0}));
    EXPECT_EQ(test::exchange(hostTen, request(0x04), 7), test::reply(0x04, {0xE8, 0x03}));
    EXPECT_EQ(test::exchange(hostTen, request(0x00), 5).size(), 5u);

    EXPECT_EQ(two.requestCodes(), (Bytes{0x04}));
    EXPECT_EQ(ten.requestCodes(), (Bytes{0x04, 0x00}));
    EXPECT_EQ(&sim.reader(10), &ten);
}

TEST(Simulator, SilentTerminalHearsButNeverAnswers)
{
    Simulator sim;
    auto &silent = sim.addSilentTerminal(3);
    HostTerminal host(sim.portPath(3).string());
    host.send(request(0x00));
    EXPECT_TRUE(host.collectFor(300ms).empty());
    EXPECT_EQ(silent.requestCodes(), (Bytes{0x00}));
}

TEST(Simulator, HangUpDropsTheLineAndComesBackUnderTheSameName)
{
    Simulator sim;
    auto &reader = sim.addReader(4, {{}, 0, nullptr});
    reader.addFault({FaultKind::HangUp, 0x00, 1, 1u});
    const auto link = sim.portPath(4);
    const auto before = fs::read_symlink(link);

    HostTerminal first(link.string());
    const auto sent = test::TestClock::now();
    first.send(request(0x00));
    EXPECT_TRUE(first.receive(5).empty());
    EXPECT_TRUE(first.lineDropped());

    // Waits for the re-pointed link; the limit only stops a broken run.
    const auto giveUp = test::TestClock::now() + 10s;
    while (fs::read_symlink(link) == before && test::TestClock::now() < giveUp) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_NE(fs::read_symlink(link), before);
    EXPECT_GE(test::TestClock::now() - sent, PtyPort::kDefaultHangUpAbsence);
    EXPECT_EQ(fs::read_symlink(link).string(), sim.terminalPath(4));

    HostTerminal second(link.string());
    EXPECT_EQ(test::exchange(second, request(0x00), 5), (Bytes{0xA5, 0x00, 0x00, 0x00, 0x5A}));
    EXPECT_EQ(reader.requestCodes(), (Bytes{0x00, 0x00}));
}

TEST(Simulator, RemovingAReaderTakesItsPortAway)
{
    fs::path directory;
    {
        Simulator sim;
        directory = sim.portDirectory();
        sim.addReader(3);
        sim.addReader(5);
        sim.removeReader(3);
        EXPECT_FALSE(fs::exists(sim.portPath(3)));
        EXPECT_TRUE(fs::exists(sim.portPath(5)));
        EXPECT_THROW(sim.reader(3), std::out_of_range);
    }
    EXPECT_FALSE(fs::exists(directory));
}

TEST(Simulator, RefusesATakenOrImpossiblePortNumber)
{
    Simulator sim;
    sim.addReader(3);
    EXPECT_THROW(sim.addReader(3), std::invalid_argument);
    EXPECT_THROW(sim.addReader(0), std::invalid_argument);
}

} // namespace
} // namespace kestsim

// SPDX-License-Identifier: MIT
#include "kestsim/pty_port.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "host_terminal.h"
#include "kestsim/sample_records.h"
#include "kestsim/virtual_reader.h"
#include "wire_bytes.h"

namespace kestsim {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using test::Bytes;
using test::HostTerminal;
using test::request;
using test::TestClock;

constexpr auto none = std::nullopt;

// One reader behind one port, with the host's end already open.
struct PortFixture {
    explicit PortFixture(unsigned baud = 0) : reader(sampleRecords(1000)), port(reader, WirePace(baud)) {}

    VirtualReader reader;
    PtyPort port;
    HostTerminal host{port.slavePath()};
};

TEST(PtyPort, AnswersRequestsOverTheTerminal)
{
    PortFixture f;
    EXPECT_EQ(test::exchange(f.host, request(0x00), 5), (Bytes{0xA5, 0x00, 0x00, 0x00, 0x5A}));
    EXPECT_EQ(test::exchange(f.host, request(0x04), 7), (Bytes{0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A}));
    const auto record = test::exchange(f.host, request(0x01, {0x10, 0x00}), 36);
    const Record expected = f.reader.records()[16];
    EXPECT_EQ(record, test::reply(0x01, Bytes(expected.begin(), expected.end())));
    EXPECT_EQ(f.reader.requestCodes(), (Bytes{0x00, 0x04, 0x01}));
}

TEST(PtyPort, KeepsServingAfterTheHostClosesAndReopens)
{
    VirtualReader reader;
    PtyPort port(reader, WirePace(0));
    for (int round = 0; round < 3; ++round) {
        HostTerminal host(port.slavePath());
        EXPECT_EQ(test::exchange(host, request(0x00), 5).size(), 5u) << "round " << round;
    }
}

TEST(PtyPort, RepliesTakeAtLeastTheirTimeOnTheWire)
{
    for (unsigned baud : {115200u, 9600u}) {
        SCOPED_TRACE(baud);
        PortFixture f(baud);
        const auto sent = TestClock::now();
        f.host.send(request(0x01, {0, 0}));
        const auto arrivals = f.host.receive(36);
        ASSERT_EQ(arrivals.size(), 36u);
        const auto wireTime = std::chrono::nanoseconds(36ull * 10 * 1'000'000'000 / baud);
        EXPECT_GE(arrivals.back().at - sent, wireTime);
    }
}

TEST(PtyPort, MalformedOrUnfinishedFramesGetNoReplyAndDoNotBlockTheNext)
{
    PortFixture f;
    auto bad = request(0x04);
    bad[3] ^= 0x01;
    f.host.send(bad);
    f.host.send(Bytes{0xAA, 0x09, 0x14, 0x01}); // a frame the host gave up on
    EXPECT_TRUE(f.host.collectFor(150ms).empty());
    EXPECT_EQ(test::exchange(f.host, request(0x00), 5).size(), 5u);
    const auto frames = f.reader.requests();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_FALSE(frames[0].wellFormed);
    EXPECT_EQ(frames[1].bytes, (Bytes{0xAA, 0x09, 0x14, 0x01}));
    EXPECT_FALSE(frames[1].wellFormed);
    EXPECT_TRUE(frames[2].wellFormed);
}

TEST(PtyPort, SplitReplyPausesUntil40MsIntoTheHostsRead)
{
    PortFixture f;
    f.reader.addFault({FaultKind::SplitReply, std::nullopt, 1, std::nullopt});
    const auto sent = TestClock::now();
    f.host.send(request(0x01, {0, 0}));
    const auto arrivals = f.host.receive(36);
    ASSERT_EQ(arrivals.size(), 36u);
    const Record expected = f.reader.records()[0];
    EXPECT_EQ(HostTerminal::bytesOf(arrivals), test::reply(0x01, Bytes(expected.begin(), expected.end())));
    // Read-record: the host reads 30 ms after sending; the rest comes 40 ms
    // later than that, and at least 40 ms after the first half.
    EXPECT_GE(arrivals[18].at - sent, 70ms);
    EXPECT_GE(arrivals[18].at - arrivals[17].at, 40ms);
}

TEST(PtyPort, LateReplyComesAfterTheHostStoppedReading)
{
    PortFixture f;
    f.reader.addFault({FaultKind::LateReply, 0x01, 1, std::nullopt});
    const auto sent = TestClock::now();
    f.host.send(request(0x01, {0, 0}));
    const auto arrivals = f.host.receive(36);
    ASSERT_EQ(arrivals.size(), 36u);
    // Read-record: 30 ms host wait + 138 ms read + 60 ms margin.
    EXPECT_GE(arrivals.front().at - sent, 228ms);
}

TEST(PtyPort, HeldBackBytesStillComeAfterTheNextRequestAheadOfItsReply)
{
    struct Case {
        std::string name;
        FaultRule fault;        // on the first read-record
        std::size_t sentAtOnce; // bytes of it the host reads before asking again
        milliseconds heldBackUntil;
    };
    // The host asks for the handshake before the held-back bytes are due.
    const Case cases[] = {
        {"late: 30 + 138 + 60 ms", {FaultKind::LateReply, 0x01, 1, 1u}, 0, 228ms},
        {"split=200: the rest at 30 + 200 ms", {FaultKind::SplitReply, 0x01, 1, 1u, 200ms}, 18, 230ms},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        PortFixture f;
        f.reader.addFault(c.fault);
        const Record first = f.reader.records()[0];
        const auto recordReply = test::reply(0x01, Bytes(first.begin(), first.end()));
        const auto sent = TestClock::now();
        f.host.send(request(0x01, {0, 0}));
        auto arrivals = f.host.receive(c.sentAtOnce);
        f.host.send(request(0x00));
        const auto rest = f.host.receive(recordReply.size() + 5 - c.sentAtOnce);
        arrivals.insert(arrivals.end(), rest.begin(), rest.end());

        EXPECT_EQ(HostTerminal::bytesOf(arrivals), test::concat({recordReply, {0xA5, 0x00, 0x00, 0x00, 0x5A}}));
        ASSERT_EQ(arrivals.size(), recordReply.size() + 5);
        EXPECT_GE(arrivals[c.sentAtOnce].at - sent, c.heldBackUntil);
        // A reader late with one answer is late with the next.
        EXPECT_GE(arrivals[recordReply.size()].at - sent, c.heldBackUntil);
        EXPECT_EQ(f.reader.requestCodes(), (Bytes{0x01, 0x00}));
    }
}

TEST(PtyPort, TimedFaultsKeepTheirTimesOnTheLine)
{
    const Bytes countReply = {0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A};
    struct NotBefore {
        std::size_t index;
        // After the request was sent, on top of the wire time of the bytes
        // before this one.
        milliseconds pause;
    };
    struct Case {
        std::string name;
        unsigned baud;
        std::vector<FaultRule> rules; // on query-count
        Bytes seen;
        std::vector<NotBefore> notBefore;
        // A byte that comes in a burst of its own, not in the read before it.
        std::optional<std::size_t> burstStartsAt;
    };
    const std::vector<Case> cases = {
        {"stray: one 00, 4 ms after the reply's last byte is on the wire",
         9600,
         {{FaultKind::StrayBytes, 0x04, 1, none}},
         test::concat({countReply, {0x00}}),
         {{7, 4ms}},
         none},
        {"stray=30/0d0a, a burst of its own",
         0,
         {{FaultKind::StrayBytes, 0x04, 1, none, 30ms, {0x0D, 0x0A}}},
         test::concat({countReply, {0x0D, 0x0A}}),
         {{7, 30ms}},
         7},
        {"noise: 00 ff a5 5a 5 ms after the request, before the reply",
         9600,
         {{FaultKind::Noise, 0x04, 1, none}},
         test::concat({{0x00, 0xFF, 0xA5, 0x5A}, countReply}),
         {{0, 5ms}, {4, 5ms}},
         none},
        {"noise=20/a55a",
         0,
         {{FaultKind::Noise, 0x04, 1, none, 20ms, {0xA5, 0x5A}}},
         test::concat({{0xA5, 0x5A}, countReply}),
         {{0, 20ms}, {2, 20ms}},
         none},
        {"delay=24: the healthy reply, late",
         9600,
         {{FaultKind::Delay, 0x04, 1, none, 24ms}},
         countReply,
         {{0, 24ms}},
         none},
        {"delay=24 with stray=20: the stray 20 ms after the delayed reply",
         0,
         {{FaultKind::Delay, 0x04, 1, none, 24ms}, {FaultKind::StrayBytes, 0x04, 1, none, 20ms}},
         test::concat({countReply, {0x00}}),
         {{0, 24ms}, {7, 44ms}},
         7},
        {"delay=24 with noise: the noise 24 + 5 ms after the request",
         9600,
         {{FaultKind::Noise, 0x04, 1, none}, {FaultKind::Delay, 0x04, 1, none, 24ms}},
         test::concat({{0x00, 0xFF, 0xA5, 0x5A}, countReply}),
         {{0, 29ms}, {4, 29ms}},
         none},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        PortFixture f(c.baud);
        for (const auto &rule : c.rules)
            f.reader.addFault(rule);
        const WirePace pace(c.baud);
        const auto sent = TestClock::now();
        f.host.send(request(0x04));
        const auto arrivals = f.host.receive(c.seen.size());
        EXPECT_EQ(HostTerminal::bytesOf(arrivals), c.seen);
        ASSERT_EQ(arrivals.size(), c.seen.size());
        for (const auto &bound : c.notBefore) {
            EXPECT_GE(arrivals[bound.index].at - sent, bound.pause + pace.durationOf(bound.index))
                << "byte " << bound.index;
        }
        if (c.burstStartsAt) {
            EXPECT_GT(arrivals[*c.burstStartsAt].at, arrivals[*c.burstStartsAt - 1].at);
        }
    }
}

TEST(PtyPort, FaultsSetWhileServingApplyToTheNextRequest)
{
    PortFixture f;
    EXPECT_EQ(test::exchange(f.host, request(0x00), 5).size(), 5u);
    f.reader.addFault({FaultKind::TrailingByte, std::nullopt, 1, 1u});
    EXPECT_EQ(test::exchange(f.host, request(0x00), 6), (Bytes{0xA5, 0x00, 0x00, 0x00, 0x5A, 0x00}));
    EXPECT_EQ(test::exchange(f.host, request(0x00), 5), (Bytes{0xA5, 0x00, 0x00, 0x00, 0x5A}));
}

} // namespace
} // namespace kestsim

#include "kestsim/pty_port.h"

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
using test::TestClock;

// One reader behind one port, with the host's end already open.
struct PortFixture {
  explicit PortFixture(unsigned baud = 0) : reader(sampleRecords(1000)), port(reader, WirePace(baud)) {}

  VirtualReader reader;
  PtyPort port;
  HostTerminal host{port.slavePath()};
};

TEST(PtyPort, AnswersRequestsOverTheTerminal) {
  PortFixture f;
  EXPECT_EQ(test::exchange(f.host, request(0x00), 5), (Bytes{0xA5, 0x00, 0x00, 0x00, 0x5A}));
  EXPECT_EQ(test::exchange(f.host, request(0x04), 7),
            (Bytes{0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A}));
  const auto record = test::exchange(f.host, request(0x01, {0x10, 0x00}), 36);
  const Record expected = f.reader.records()[16];
  EXPECT_EQ(record, test::reply(0x01, Bytes(expected.begin(), expected.end())));
  EXPECT_EQ(f.reader.requestCodes(), (Bytes{0x00, 0x04, 0x01}));
}

TEST(PtyPort, KeepsServingAfterTheHostClosesAndReopens) {
  VirtualReader reader;
  PtyPort port(reader, WirePace(0));
  for (int round = 0; round < 3; ++round) {
    HostTerminal host(port.slavePath());
    EXPECT_EQ(test::exchange(host, request(0x00), 5).size(), 5u) << "round " << round;
  }
}

TEST(PtyPort, RepliesTakeAtLeastTheirTimeOnTheWire) {
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

TEST(PtyPort, MalformedOrUnfinishedFramesGetNoReplyAndDoNotBlockTheNext) {
  PortFixture f;
  auto bad = request(0x04);
  bad[3] ^= 0x01;
  f.host.send(bad);
  f.host.send(Bytes{0xAA, 0x09, 0x14, 0x01});  // a frame the host gave up on
  EXPECT_TRUE(f.host.collectFor(150ms).empty());
  EXPECT_EQ(test::exchange(f.host, request(0x00), 5).size(), 5u);
  const auto frames = f.reader.requests();
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_FALSE(frames[0].wellFormed);
  EXPECT_EQ(frames[1].bytes, (Bytes{0xAA, 0x09, 0x14, 0x01}));
  EXPECT_FALSE(frames[1].wellFormed);
  EXPECT_TRUE(frames[2].wellFormed);
}

TEST(PtyPort, SplitReplyPausesUntil40MsIntoTheHostsRead) {
  PortFixture f;
  f.reader.addFault({FaultKind::SplitReply, std::nullopt, 1, std::nullopt});
  const auto sent = TestClock::now();
  f.host.send(request(0x01, {0, 0}));
  const auto arrivals = f.host.receive(36);
  ASSERT_EQ(arrivals.size(), 36u);
  const Record expected = f.reader.records()[0];
  EXPECT_EQ(HostTerminal::bytesOf(arrivals),
            test::reply(0x01, Bytes(expected.begin(), expected.end())));
  // Read-record: the host reads 30 ms after sending; the rest comes 40 ms
  // later than that, and at least 40 ms after the first half.
  EXPECT_GE(arrivals[18].at - sent, 70ms);
  EXPECT_GE(arrivals[18].at - arrivals[17].at, 40ms);
}

TEST(PtyPort, LateReplyComesAfterTheHostStoppedReading) {
  PortFixture f;
  f.reader.addFault({FaultKind::LateReply, 0x01, 1, std::nullopt});
  const auto sent = TestClock::now();
  f.host.send(request(0x01, {0, 0}));
  const auto arrivals = f.host.receive(36);
  ASSERT_EQ(arrivals.size(), 36u);
  // Read-record: 30 ms host wait + 138 ms read + 60 ms margin.
  EXPECT_GE(arrivals.front().at - sent, 228ms);
}

TEST(PtyPort, HeldBackBytesAreDroppedWhenTheNextRequestComesFirst) {
  const Bytes countReply = {0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A};
  struct Case {
    FaultKind fault;
    Bytes seen;  // by the host, after asking for the count
  };
  // Delete-compare has the longest host wait, 1000 ms, so the held-back
  // part is due long after the next request.
  const Case cases[] = {
      {FaultKind::LateReply, countReply},
      {FaultKind::SplitReply, test::concat({{0xA5, 0x07, 0x01}, countReply})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault));
    PortFixture f;
    f.reader.addFault({c.fault, 0x07, 1, 1u});
    f.host.send(request(0x07));
    std::this_thread::sleep_for(50ms);
    f.host.send(request(0x04));
    // Long enough for the dropped bytes to have shown up had they been sent.
    EXPECT_EQ(f.host.collectFor(1500ms), c.seen);
    EXPECT_EQ(f.reader.requestCodes(), (Bytes{0x07, 0x04}));
  }
}

TEST(PtyPort, FaultsSetWhileServingApplyToTheNextRequest) {
  PortFixture f;
  EXPECT_EQ(test::exchange(f.host, request(0x00), 5).size(), 5u);
  f.reader.addFault({FaultKind::TrailingByte, std::nullopt, 1, 1u});
  EXPECT_EQ(test::exchange(f.host, request(0x00), 6), (Bytes{0xA5, 0x00, 0x00, 0x00, 0x5A, 0x00}));
  EXPECT_EQ(test::exchange(f.host, request(0x00), 5), (Bytes{0xA5, 0x00, 0x00, 0x00, 0x5A}));
}

}  // namespace
}  // namespace kestsim

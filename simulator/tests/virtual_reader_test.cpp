// SPDX-License-Identifier: MIT
#include "kestsim/virtual_reader.h"

#include <gtest/gtest.h>

#include <sstream>

#include "kestsim/sample_records.h"
#include "wire_bytes.h"

namespace kestsim {
namespace {

using test::Bytes;
using test::request;

FramedRequest wellFormed(const Bytes &bytes) { return {bytes, true}; }

TEST(VirtualReader, CommandTakesEffectUnlessTheRequestIsIgnoredOrTheLineDropped)
{
    struct Case {
        std::optional<FaultKind> fault;
        bool recordsCleared;
    };
    const Case cases[] = {
        {std::nullopt, true},           {FaultKind::NoReply, false},   {FaultKind::HangUp, false},
        {FaultKind::BadChecksum, true}, {FaultKind::ShortReply, true}, {FaultKind::LateReply, true},
        {FaultKind::BadStatus, true},   {FaultKind::Delay, true},      {FaultKind::StrayBytes, true},
        {FaultKind::Noise, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault ? static_cast<int>(*c.fault) : -1);
        VirtualReader reader(sampleRecords(10));
        if (c.fault)
            reader.addFault({*c.fault, std::nullopt, 1, std::nullopt});
        reader.receive(wellFormed(request(0x02)));
        EXPECT_EQ(reader.records().empty(), c.recordsCleared);
    }
}

TEST(VirtualReader, RepliesThroughItsFaults)
{
    VirtualReader reader(sampleRecords(1000));
    reader.addFault({FaultKind::BadChecksum, 0x04, 2, 1u});
    const auto first = reader.receive(wellFormed(request(0x04))).bytes();
    const auto second = reader.receive(wellFormed(request(0x04))).bytes();
    const auto third = reader.receive(wellFormed(request(0x04))).bytes();
    EXPECT_EQ(first, (Bytes{0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A}));
    EXPECT_EQ(second, (Bytes{0xA5, 0x04, 0x02, 0xE8, 0x03, 0x0E, 0x5A}));
    EXPECT_EQ(third, first);
}

TEST(VirtualReader, SlowsItsFaultyRepliesByTheDelayRule)
{
    using namespace std::chrono_literals;
    VirtualReader reader(sampleRecords(1000));
    reader.addFault({FaultKind::Delay, 0x04, 1, std::nullopt, 24ms});
    reader.addFault({FaultKind::BadChecksum, 0x04, 2, std::nullopt});
    const auto slow = reader.receive(wellFormed(request(0x04)));
    const auto slowAndBad = reader.receive(wellFormed(request(0x04)));
    const auto other = reader.receive(wellFormed(request(0x00)));
    ASSERT_EQ(slow.pieces.size(), 1u);
    EXPECT_EQ(slow.pieces[0].notBefore, 24ms);
    EXPECT_EQ(slow.bytes(), (Bytes{0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A}));
    ASSERT_EQ(slowAndBad.pieces.size(), 1u);
    EXPECT_EQ(slowAndBad.pieces[0].notBefore, 24ms);
    EXPECT_EQ(slowAndBad.bytes(), (Bytes{0xA5, 0x04, 0x02, 0xE8, 0x03, 0x0E, 0x5A}));
    ASSERT_EQ(other.pieces.size(), 1u);
    EXPECT_EQ(other.pieces[0].notBefore, 0ms);
}

TEST(VirtualReader, LogsEveryFrameMalformedOnesIncluded)
{
    std::ostringstream echo;
    VirtualReader reader;
    reader.echoRequests(&echo, "COM7");
    reader.receive(wellFormed(request(0x00)));
    const auto delivery = reader.receive({{0xAA, 0x04, 0x00, 0x05, 0x55}, false});
    reader.receive(wellFormed(request(0x08, {1, 0})));

    EXPECT_TRUE(delivery.pieces.empty());
    ASSERT_EQ(reader.requestCount(), 3u);
    const auto frames = reader.requests();
    EXPECT_EQ(frames[0].bytes, request(0x00));
    EXPECT_FALSE(frames[1].wellFormed);
    EXPECT_EQ(frames[2].code(), 0x08);
    EXPECT_EQ(reader.requestCodes(), (Bytes{0x00, 0x08}));
    EXPECT_EQ(echo.str(), "COM7 <- AA 00 00 00 55\n"
                          "COM7 <- malformed, no reply: AA 04 00 05 55\n"
                          "COM7 <- AA 08 02 01 00 0B 55\n");

    reader.clearRequests();
    EXPECT_EQ(reader.requestCount(), 0u);
}

TEST(VirtualReader, RefusesMoreRecordsThanTheCountCanSay)
{
    VirtualReader reader;
    EXPECT_THROW(reader.setRecords(std::vector<Record>(kMaxRecords + 1)), std::invalid_argument);
    EXPECT_NO_THROW(reader.setRecords(std::vector<Record>(kMaxRecords)));
}

} // namespace
} // namespace kestsim

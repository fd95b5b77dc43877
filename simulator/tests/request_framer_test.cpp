// SPDX-License-Identifier: MIT
#include "kestsim/request_framer.h"

#include <gtest/gtest.h>

#include "wire_bytes.h"

namespace kestsim {
namespace {

using test::Bytes;
using test::concat;
using test::request;

std::vector<FramedRequest> feedAll(RequestFramer &framer, const Bytes &bytes) { return framer.feed(bytes); }

TEST(RequestFramer, SkipsNoiseBeforeTheStartByte)
{
    RequestFramer framer;
    const auto frames = feedAll(framer, concat({{0x00, 0x55, 0x13}, request(0x04)}));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, request(0x04));
    EXPECT_TRUE(frames[0].wellFormed);
}

TEST(RequestFramer, JoinsAFrameArrivingInPieces)
{
    RequestFramer framer;
    const auto frame = request(0x01, {0x02, 0x00});
    for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
        EXPECT_TRUE(framer.feed(std::span(&frame[i], 1)).empty());
    }
    EXPECT_TRUE(framer.hasPartialFrame());
    const auto frames = framer.feed(std::span(&frame.back(), 1));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, frame);
    EXPECT_FALSE(framer.hasPartialFrame());
}

TEST(RequestFramer, SplitsBackToBackFrames)
{
    RequestFramer framer;
    const auto frames = feedAll(framer, concat({request(0x00), request(0x08, {1, 0})}));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].bytes, request(0x00));
    EXPECT_EQ(frames[1].bytes, request(0x08, {1, 0}));
}

TEST(RequestFramer, HandsOutABadFrameWholeAndCarriesOn)
{
    RequestFramer framer;
    auto bad = request(0x09, Bytes(20, 0xAA)); // start bytes inside the payload
    bad[bad.size() - 2] ^= 0x01;
    auto noEnd = request(0x00);
    noEnd.back() = 0x56;
    const auto frames = feedAll(framer, concat({bad, noEnd, request(0x0C)}));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].bytes, bad);
    EXPECT_FALSE(frames[0].wellFormed);
    EXPECT_FALSE(frames[1].wellFormed);
    EXPECT_EQ(frames[2].bytes, request(0x0C));
    EXPECT_TRUE(frames[2].wellFormed);
}

TEST(RequestFramer, DroppingAPartialFrameStartsAfresh)
{
    RequestFramer framer;
    feedAll(framer, {0xAA, 0x09, 0x14, 0x01});
    EXPECT_EQ(framer.dropPartialFrame(), (Bytes{0xAA, 0x09, 0x14, 0x01}));
    const auto frames = feedAll(framer, request(0x00));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].wellFormed);
}

} // namespace
} // namespace kestsim

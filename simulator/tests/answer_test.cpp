// SPDX-License-Identifier: MIT
#include "kestsim/answer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "kestsim/sample_records.h"
#include "wire_bytes.h"

namespace kestsim {
namespace {

using test::Bytes;
using test::concat;
using test::filled;
using test::reply;
using test::request;
using test::statusReply;

CompareEntry entryOf(std::uint8_t first)
{
    CompareEntry entry{};
    const auto bytes = filled(entry.size(), first);
    std::copy(bytes.begin(), bytes.end(), entry.begin());
    return entry;
}

// A reader with 1000 records, entry 5 of the comparison list loaded and
// recognisable domain and key.
ReaderState loadedReader()
{
    ReaderState state;
    state.records = sampleRecords(1000);
    state.compareList[5] = entryOf(0x40);
    const auto domain = filled(20, 0x10);
    std::copy(domain.begin(), domain.end(), state.domain.begin());
    const auto key = filled(15, 0x60);
    std::copy(key.begin(), key.end(), state.key.begin());
    return state;
}

Bytes recordBytes(const ReaderState &state, std::size_t index)
{
    return {state.records[index].begin(), state.records[index].end()};
}

struct AnswerCase {
    std::string name;
    Bytes request;
    std::optional<Bytes> reply;
};

TEST(Answer, EachRequestGetsTheReaderReply)
{
    const ReaderState reference = loadedReader();
    const Bytes clock2024 = {0x20, 0x24, 0x12, 0x31, 0x23, 0x59, 0x58};
    const Bytes badChecksum = [] {
        auto frame = request(0x00);
        frame[3] ^= 0x01;
        return frame;
    }();
    const Bytes noEndByte = [] {
        auto frame = request(0x04);
        frame.back() = 0x00;
        return frame;
    }();

    const std::vector<AnswerCase> cases = {
        {"handshake", request(0x00), Bytes{0xA5, 0x00, 0x00, 0x00, 0x5A}},
        {"query count of 1000", request(0x04), Bytes{0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A}},
        {"read first record", request(0x01, {0, 0}), reply(0x01, recordBytes(reference, 0))},
        {"read record 999 (hi byte used)", request(0x01, {0xE7, 0x03}), reply(0x01, recordBytes(reference, 999))},
        {"read record past the end", request(0x01, {0xE8, 0x03}), Bytes{0xA5, 0x01, 0x01, 0x01, 0x03, 0x5A}},
        {"read record without a number", request(0x01), statusReply(0x01, 1)},
        {"delete all records", request(0x02), Bytes{0xA5, 0x02, 0x01, 0x00, 0x03, 0x5A}},
        {"set clock", request(0x05, clock2024), statusReply(0x05, 0)},
        {"set clock, leap day", request(0x05, {0x20, 0x24, 0x02, 0x29, 0, 0, 0}), statusReply(0x05, 0)},
        {"set clock, not BCD", request(0x05, {0x20, 0x24, 0x1A, 0x01, 0, 0, 0}), statusReply(0x05, 1)},
        {"set clock, month 13", request(0x05, {0x20, 0x24, 0x13, 0x01, 0, 0, 0}), statusReply(0x05, 1)},
        {"set clock, 30 February", request(0x05, {0x20, 0x24, 0x02, 0x30, 0, 0, 0}), statusReply(0x05, 1)},
        {"set clock, hour 24", request(0x05, {0x20, 0x24, 0x01, 0x01, 0x24, 0, 0}), statusReply(0x05, 1)},
        {"set clock, second 60", request(0x05, {0x20, 0x24, 0x01, 0x01, 0, 0, 0x60}), statusReply(0x05, 1)},
        {"set clock, short", request(0x05, {0x20, 0x24, 0x01, 0x01, 0, 0}), statusReply(0x05, 1)},
        {"load comparison entry", request(0x06, concat({{0x34, 0x12}, filled(16, 0)})), statusReply(0x06, 0)},
        {"load comparison entry, short", request(0x06, concat({{0x34, 0x12}, filled(15, 0)})), statusReply(0x06, 1)},
        {"delete comparison list", request(0x07), statusReply(0x07, 0)},
        {"read comparison entry", request(0x08, {5, 0}), reply(0x08, concat({filled(16, 0x40), Bytes(14, 0)}))},
        {"read comparison entry never loaded", request(0x08, {6, 0}), statusReply(0x08, 1)},
        {"set domain", request(0x09, filled(20, 0x80)), statusReply(0x09, 0)},
        {"set domain, 19 bytes", request(0x09, filled(19, 0x80)), statusReply(0x09, 1)},
        {"get domain", request(0x0A), reply(0x0A, concat({filled(20, 0x10), Bytes(3, 0)}))},
        {"get domain with a payload", request(0x0A, {0}), statusReply(0x0A, 1)},
        {"set key", request(0x0B, filled(15, 0x90)), statusReply(0x0B, 0)},
        {"get key", request(0x0C), reply(0x0C, filled(15, 0x60))},
        {"unused code 0x03", request(0x03), Bytes{0xA5, 0x03, 0x01, 0x01, 0x05, 0x5A}},
        {"unknown code 0x0D", request(0x0D), statusReply(0x0D, 1)},
        {"unknown code 0xFF", request(0xFF, {1, 2}), statusReply(0xFF, 1)},
        {"bad checksum", badChecksum, std::nullopt},
        {"no end byte", noEndByte, std::nullopt},
        {"frame shorter than its length", Bytes{0xAA, 0x01, 0x02, 0x00, 0x03, 0x55}, std::nullopt},
        {"not a request", reply(0x00), std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderState state = reference;
        EXPECT_EQ(answerRequest(state, c.request), c.reply);
    }
}

TEST(Answer, SetClockStoresTheDecodedTimeAndKeepsTheCenturyRaw)
{
    ReaderState state;
    ASSERT_TRUE(answerRequest(state, request(0x05, {0x20, 0x24, 0x12, 0x31, 0x23, 0x59, 0x58})));
    EXPECT_EQ(state.clock, (ReaderClock{0x20, 24, 12, 31, 23, 59, 58}));
}

TEST(Answer, RejectedClockLeavesTheClockAlone)
{
    ReaderState state;
    state.clock = {0x20, 23, 6, 15, 10, 20, 30};
    answerRequest(state, request(0x05, {0x20, 0x24, 0x12, 0x3A, 0, 0, 0}));
    EXPECT_EQ(state.clock, (ReaderClock{0x20, 23, 6, 15, 10, 20, 30}));
}

TEST(Answer, DeleteAllEmptiesTheReader)
{
    ReaderState state = loadedReader();
    answerRequest(state, request(0x02));
    EXPECT_TRUE(state.records.empty());
    EXPECT_EQ(answerRequest(state, request(0x04)), reply(0x04, {0, 0}));
    EXPECT_EQ(answerRequest(state, request(0x01, {0, 0})), statusReply(0x01, 1));
}

TEST(Answer, ComparisonListLoadsReadsBackAndClears)
{
    ReaderState state;
    answerRequest(state, request(0x06, concat({{0xFF, 0xFF}, filled(16, 0xA0)})));
    answerRequest(state, request(0x06, concat({{0x00, 0x01}, filled(16, 0xB0)})));
    EXPECT_EQ(state.compareList.size(), 2u);
    EXPECT_EQ(answerRequest(state, request(0x08, {0xFF, 0xFF})), reply(0x08, concat({filled(16, 0xA0), Bytes(14, 0)})));
    EXPECT_EQ(answerRequest(state, request(0x08, {0x00, 0x01})), reply(0x08, concat({filled(16, 0xB0), Bytes(14, 0)})));

    answerRequest(state, request(0x07));
    EXPECT_TRUE(state.compareList.empty());
    EXPECT_EQ(answerRequest(state, request(0x08, {0xFF, 0xFF})), statusReply(0x08, 1));
}

TEST(Answer, DomainAndKeyReadBackWhatWasSet)
{
    ReaderState state;
    answerRequest(state, request(0x09, filled(20, 0x21)));
    answerRequest(state, request(0x0B, filled(15, 0x31)));
    EXPECT_EQ(answerRequest(state, request(0x0A)), reply(0x0A, concat({filled(20, 0x21), Bytes(3, 0)})));
    EXPECT_EQ(answerRequest(state, request(0x0C)), reply(0x0C, filled(15, 0x31)));
}

TEST(Answer, MalformedFrameChangesNothing)
{
    ReaderState state = loadedReader();
    auto deleteAll = request(0x02);
    deleteAll[3] ^= 0xFF;
    EXPECT_EQ(answerRequest(state, deleteAll), std::nullopt);
    EXPECT_EQ(state.records.size(), 1000u);
}

} // namespace
} // namespace kestsim

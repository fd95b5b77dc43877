// SPDX-License-Identifier: MIT
// Finding the reply among the bytes a read received, and how many more bytes
// a read still waits for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reply_locate.h"

using namespace kestlink::protocol;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes operator+(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes kStatusOk = {0xA5, 0x05, 0x01, 0x00, 0x06, 0x5A};
const Bytes kCount1000 = {0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A};

Bytes recordReply()
{
    Bytes r(36, '7');
    r[0] = 0xA5, r[1] = 0x01, r[2] = 31, r[34] = 0x00, r[35] = 0x5A;
    return r;
}

} // namespace

TEST(ReplyStart, SkipsWhatCameInFrontOfTheReply)
{
    const Bytes record = recordReply();
    struct Case {
        const char *what;
        Bytes received;
        std::size_t start;
    } const cases[] = {
        {"a reply alone", kStatusOk, 0},
        {"nothing", {}, 0},
        {"a stray zero in front", Bytes{0x00} + kStatusOk, 1},
        {"a line end in front", Bytes{0x0D, 0x0A} + record, 2},
        {"a stray start byte in front", Bytes{0xA5} + record, 1},
        {"noise holding both frame markers", Bytes{0x00, 0xFF, 0xA5, 0x5A} + kCount1000, 4},
        {"the tail of an earlier reply", Bytes(record.begin() + 20, record.end()) + kStatusOk, 16},
        {"a byte after the reply stays part of it", kCount1000 + Bytes{0x00}, 0},
        {"no whole frame: from the first start byte", Bytes{0x0D, 0xA5, 0x05, 0x01}, 1},
        {"no start byte at all: judged as it came", Bytes{0x00, 0x04, 0x07, 0xE8, 0x03, 0xF6, 0x00}, 0},
        {"a broken reply keeps its start even with a frame inside", Bytes{0xA5, 0x01, 0x20} + kStatusOk, 3},
    };
    for (const auto &c : cases)
        EXPECT_EQ(replyStart(c.received), c.start) << c.what;
}

TEST(ReplyStart, TheRulesJudgeTheReplyNotWhatPrecededIt)
{
    const Bytes record = recordReply();
    // Each of these failed when judged from the first byte received.
    EXPECT_TRUE(judgeReply(ReplyRule::Data, 31, locateReply(Bytes{0x00} + record)));
    EXPECT_TRUE(judgeReply(ReplyRule::Status, 0, locateReply(Bytes{0x0D, 0x0A} + kStatusOk)));
    EXPECT_TRUE(judgeReply(ReplyRule::Count, 0, locateReply(Bytes{0xFF} + kCount1000)));
    EXPECT_EQ(countFromReply(locateReply(Bytes{0xA5} + kCount1000)), 1000);
    // The count reply's exact seven bytes are counted from its start byte: a
    // byte after it within the read still fails it.
    EXPECT_FALSE(judgeReply(ReplyRule::Count, 0, locateReply(Bytes{0xFF} + kCount1000 + Bytes{0x00})));
    // A refusal stays a refusal.
    EXPECT_FALSE(judgeReply(ReplyRule::Status, 0, locateReply(Bytes{0x00, 0xA5, 0x05, 0x01, 0x01, 0x07, 0x5A})));
}

TEST(WholeReply, IsOneCompleteFrameAtTheEnd)
{
    const std::pair<Bytes, bool> cases[] = {
        {kStatusOk, true},
        {{0xA5, 0x00, 0x00, 0x00, 0x5A}, true},
        {Bytes{0x00, 0x0D, 0x0A} + kStatusOk, true},   // behind a stray line end
        {Bytes{0xA5} + kStatusOk, true},               // behind a stray start byte
        {{0xA5, 0x05, 0x01, 0x00, 0x06}, false},       // the end byte is still to come
        {kStatusOk + Bytes{0x00}, false},              // more than the length says
        {{0xA5, 0x05, 0x02, 0x00, 0x06, 0x5A}, false}, // length says one byte more
        {{0xA4, 0x05, 0x01, 0x00, 0x06, 0x5A}, false},
        {{0xA5, 0x05, 0x01, 0x00, 0x06, 0x5B}, false},
        {{0xA5, 0x00, 0x00, 0x5A}, false},
        {{}, false},
    };
    for (const auto &[bytes, whole] : cases)
        EXPECT_EQ(isWholeReply(bytes), whole) << ::testing::PrintToString(bytes);
}

TEST(BytesToWholeReply, AsksForWhatTheReplyStillLacks)
{
    const Bytes record = recordReply();
    struct Case {
        const char *what;
        Bytes received;
        std::size_t expected;
        std::size_t needed;
    } const cases[] = {
        {"nothing yet: the whole expected reply", {}, 36, 36},
        {"start and code: the rest of the expected size", {0xA5, 0x01}, 36, 34},
        {"the length byte decides once it is in", {0xA5, 0x05, 0x01}, 36, 3},
        {"half a record", Bytes(record.begin(), record.begin() + 18), 36, 18},
        {"a whole reply", record, 36, 0},
        {"a whole reply behind a stray byte", Bytes{0x00} + record, 36, 0},
        {"a stray byte and most of the reply", Bytes{0x00} + Bytes(record.begin(), record.end() - 1), 36, 1},
        {"only a stray byte: the reply may still come", {0x0D}, 36, 36},
        {"a start byte that cannot begin a frame in 64 bytes", {0xA5, 0x5A, 0xFF}, 6, 6},
        {"a whole reply with a byte after it: only the time-outs end it", kStatusOk + Bytes{0x00}, 6, 6},
        {"a start byte in the noise and the reply begun behind it", Bytes{0x00, 0xFF, 0xA5, 0x5A, 0xA5, 0x05, 0x01}, 6,
         3},
    };
    for (const auto &c : cases)
        EXPECT_EQ(bytesToWholeReply(c.received, c.expected), c.needed) << c.what;
}

TEST(ExpectedReplySize, FollowsTheCommandsReply)
{
    EXPECT_EQ(expectedReplySize(commandInfo(Command::ReadRecord)), 36u);
    EXPECT_EQ(expectedReplySize(commandInfo(Command::ReadCompare)), 35u);
    EXPECT_EQ(expectedReplySize(commandInfo(Command::GetDomain)), 28u);
    EXPECT_EQ(expectedReplySize(commandInfo(Command::GetKey)), 20u);
    EXPECT_EQ(expectedReplySize(commandInfo(Command::QueryCount)), 7u);
    EXPECT_EQ(expectedReplySize(commandInfo(Command::Handshake)), 5u);
    for (Command c : {Command::DeleteAll, Command::SetTime, Command::LoadCompare, Command::DeleteCompare,
                      Command::SetDomain, Command::SetKey})
        EXPECT_EQ(expectedReplySize(commandInfo(c)), 6u) << commandInfo(c).name;
}

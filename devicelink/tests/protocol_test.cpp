// SPDX-License-Identifier: MIT
// Request frames and reply verdicts, without a port.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol.h"

using namespace kestlink::protocol;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes frameBytes(const RequestFrame &frame) { return Bytes(frame.bytes.begin(), frame.bytes.begin() + frame.size); }

Bytes cardBytes(const char *text) { return Bytes(text, text + 16); }

} // namespace

struct RequestCase {
    const char *what;
    Command command;
    Bytes payload;
    Bytes expected;
};

TEST(RequestFrame, MatchesTheReaderLayout)
{
    const RequestCase cases[] = {
        {"handshake", Command::Handshake, {}, {0xAA, 0x00, 0x00, 0x00, 0x55}},
        {"no payload: checksum is the code", Command::DeleteAll, {}, {0xAA, 0x02, 0x00, 0x02, 0x55}},
        {"query count", Command::QueryCount, {}, {0xAA, 0x04, 0x00, 0x04, 0x55}},
        {"delete comparison list", Command::DeleteCompare, {}, {0xAA, 0x07, 0x00, 0x07, 0x55}},
        {"get domain", Command::GetDomain, {}, {0xAA, 0x0A, 0x00, 0x0A, 0x55}},
        {"get key", Command::GetKey, {}, {0xAA, 0x0C, 0x00, 0x0C, 0x55}},
        {"record 0x0102", Command::ReadRecord, {0x02, 0x01}, {0xAA, 0x01, 0x02, 0x02, 0x01, 0x06, 0x55}},
        {"record 300", Command::ReadRecord, {0x2C, 0x01}, {0xAA, 0x01, 0x02, 0x2C, 0x01, 0x30, 0x55}},
        {"checksum wraps modulo 256", Command::ReadCompare, {0xFF, 0xFF}, {0xAA, 0x08, 0x02, 0xFF, 0xFF, 0x08, 0x55}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(frameBytes(buildRequest(c.command, c.payload)), c.expected) << c.what;
}

TEST(RequestFrame, SetTimeSendsPackedBcdAfterTheCenturyByte)
{
    const std::uint8_t time[7] = {0x20, 24, 12, 31, 23, 59, 58};
    const auto payload = clockPayload(time);
    EXPECT_EQ(Bytes(payload.begin(), payload.end()), (Bytes{0x20, 0x24, 0x12, 0x31, 0x23, 0x59, 0x58}));

    const auto frame = frameBytes(buildRequest(Command::SetTime, payload));
    ASSERT_EQ(frame.size(), 12u);
    EXPECT_EQ(frame[2], 0x07);
    EXPECT_EQ(frame[10], 0x67);
    EXPECT_EQ(frame[11], 0x55);

    const std::uint8_t year2031[7] = {0x20, 31, 1, 1, 0, 0, 0};
    EXPECT_EQ(clockPayload(year2031)[1], 0x31);
}

TEST(RequestFrame, PackedBcdKeepsEightBits)
{
    const std::pair<std::uint8_t, std::uint8_t> cases[] = {{0, 0x00},  {9, 0x09},   {10, 0x10}, {59, 0x59},
                                                           {99, 0x99}, {100, 0xA0}, {255, 0x95}};
    for (auto [value, bcd] : cases)
        EXPECT_EQ(toPackedBcd(value), bcd) << int(value);
}

TEST(RequestFrame, CompareEntryOfEntryZero)
{
    std::uint8_t card[16];
    const auto text = cardBytes("999 012345678901");
    std::copy(text.begin(), text.end(), card);
    const auto frame = frameBytes(buildRequest(Command::LoadCompare, compareEntryPayload(0, card)));
    ASSERT_EQ(frame.size(), 23u);
    EXPECT_EQ(frame[2], 0x12);
    EXPECT_EQ(frame[3], 0x00);
    EXPECT_EQ(frame[4], 0x00);
    EXPECT_EQ(Bytes(frame.begin() + 5, frame.begin() + 21), text);
    EXPECT_EQ(frame[21], 0x51);
    EXPECT_EQ(frame[22], 0x55);
}

TEST(RequestFrame, SizesOnTheWire)
{
    const std::pair<Command, std::size_t> cases[] = {{Command::Handshake, 5},    {Command::ReadRecord, 7},
                                                     {Command::SetTime, 12},     {Command::SetKey, 20},
                                                     {Command::LoadCompare, 23}, {Command::SetDomain, 25}};
    for (auto [command, size] : cases) {
        const Bytes payload(commandInfo(command).payloadLength, 0x11);
        EXPECT_EQ(buildRequest(command, payload).size, size) << commandInfo(command).name;
    }
}

TEST(CommandTable, WaitsAndRules)
{
    using namespace std::chrono_literals;
    struct Row {
        Command command;
        std::chrono::milliseconds wait;
        ReplyRule rule;
        std::uint8_t dataLength;
    };
    const Row rows[] = {
        {Command::Handshake, 200ms, ReplyRule::Handshake, 0},   {Command::ReadRecord, 30ms, ReplyRule::Data, 31},
        {Command::DeleteAll, 200ms, ReplyRule::Any, 0},         {Command::QueryCount, 200ms, ReplyRule::Count, 0},
        {Command::SetTime, 200ms, ReplyRule::Status, 0},        {Command::LoadCompare, 200ms, ReplyRule::Status, 0},
        {Command::DeleteCompare, 1000ms, ReplyRule::Status, 0}, {Command::ReadCompare, 200ms, ReplyRule::Data, 30},
        {Command::SetDomain, 500ms, ReplyRule::Status, 0},      {Command::GetDomain, 200ms, ReplyRule::Data, 23},
        {Command::SetKey, 500ms, ReplyRule::Status, 0},         {Command::GetKey, 200ms, ReplyRule::Data, 15},
    };
    for (const auto &row : rows) {
        const auto &info = commandInfo(row.command);
        EXPECT_EQ(info.code, row.command);
        EXPECT_EQ(info.wait, row.wait) << info.name;
        EXPECT_EQ(info.rule, row.rule) << info.name;
        EXPECT_EQ(info.dataLength, row.dataLength) << info.name;
    }
}

struct VerdictCase {
    const char *what;
    ReplyRule rule;
    std::uint8_t dataLength;
    Bytes reply;
    bool verdict;
};

TEST(ReplyVerdict, EachRuleOnItsExamples)
{
    Bytes record(36, 0x30);
    record[0] = 0xA5, record[1] = 0x01, record[2] = 31, record[35] = 0x5A;
    Bytes recordWrongChecksum = record;
    recordWrongChecksum[34] ^= 0xFF;
    Bytes recordLength30 = record;
    recordLength30[2] = 30;

    const VerdictCase cases[] = {
        {"handshake reply", ReplyRule::Handshake, 0, {0xA5, 0x00, 0x00, 0x00, 0x5A}, true},
        {"handshake: any middle bytes", ReplyRule::Handshake, 0, {0xA5, 0x12, 0x34, 0x56, 0x5A}, true},
        {"handshake: four bytes", ReplyRule::Handshake, 0, {0xA5, 0x00, 0x00, 0x00}, false},
        {"handshake: no reply", ReplyRule::Handshake, 0, {}, false},
        {"handshake: wrong start", ReplyRule::Handshake, 0, {0xA4, 0x00, 0x00, 0x00, 0x5A}, false},
        {"handshake: wrong fifth byte", ReplyRule::Handshake, 0, {0xA5, 0x00, 0x00, 0x00, 0x55}, false},
        {"handshake: the request echoed", ReplyRule::Handshake, 0, {0xAA, 0x00, 0x00, 0x00, 0x55}, false},

        {"any: one byte", ReplyRule::Any, 0, {0x00}, true},
        {"any: nothing", ReplyRule::Any, 0, {}, false},
        {"any: a refusal still counts", ReplyRule::Any, 0, {0xA5, 0x02, 0x01, 0x01, 0x04, 0x5A}, true},

        {"status ok", ReplyRule::Status, 0, {0xA5, 0x05, 0x01, 0x00, 0x06, 0x5A}, true},
        {"status 0x01 with right length and checksum",
         ReplyRule::Status,
         0,
         {0xA5, 0x05, 0x01, 0x01, 0x07, 0x5A},
         false},
        {"status: wrong checksum is not examined", ReplyRule::Status, 0, {0xA5, 0x05, 0x01, 0x00, 0xEE, 0x5A}, true},
        {"status: too short to hold the status", ReplyRule::Status, 0, {0xA5, 0x05, 0x01}, false},
        {"status: nothing", ReplyRule::Status, 0, {}, false},

        {"record reply", ReplyRule::Data, 31, record, true},
        {"record reply with a wrong checksum", ReplyRule::Data, 31, recordWrongChecksum, true},
        {"record reply with length 30", ReplyRule::Data, 31, recordLength30, false},
        {"record reply cut short", ReplyRule::Data, 31, Bytes(record.begin(), record.begin() + 20), false},
        {"data: length byte but no payload", ReplyRule::Data, 15, {0xA5, 0x0C, 0x0F}, false},
        {"domain reply with length 20", ReplyRule::Data, 23, {0xA5, 0x0A, 0x14, 1, 2, 3}, false},

        {"count of 1000", ReplyRule::Count, 0, {0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A}, true},
        {"count with checksum F0", ReplyRule::Count, 0, {0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF0, 0x5A}, false},
        {"count followed by an extra byte",
         ReplyRule::Count,
         0,
         {0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A, 0x00},
         false},
        {"count of six bytes", ReplyRule::Count, 0, {0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1}, false},
        {"count: start, end and length not compared",
         ReplyRule::Count,
         0,
         {0x00, 0x04, 0x07, 0xE8, 0x03, 0xF6, 0x00},
         true},
        {"count of zero", ReplyRule::Count, 0, {0xA5, 0x04, 0x02, 0x00, 0x00, 0x06, 0x5A}, true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(judgeReply(c.rule, c.dataLength, c.reply), c.verdict) << c.what;
}

TEST(ReplyVerdict, CountFromReply)
{
    const Bytes reply = {0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A};
    EXPECT_EQ(countFromReply(reply), 1000);
    const Bytes full = {0xA5, 0x04, 0x02, 0xFF, 0xFF, 0x04, 0x5A};
    EXPECT_EQ(countFromReply(full), 65535);
}

TEST(ReplyRule, OnlyTheCountReplyWaitsForSilence)
{
    EXPECT_FALSE(mayEndEarly(ReplyRule::Count));
    for (ReplyRule rule : {ReplyRule::Data, ReplyRule::Status, ReplyRule::Any, ReplyRule::Handshake})
        EXPECT_TRUE(mayEndEarly(rule));
}

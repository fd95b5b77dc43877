// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "kestsim/delivery.h"
#include "kestsim/fault.h"
#include "kestsim/fault_text.h"
#include "wire_bytes.h"

namespace kestsim {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using test::Bytes;

constexpr auto none = std::nullopt;
constexpr auto all = std::nullopt;

TEST(FaultText, ReadsEveryPartOfARule)
{
    struct Case {
        const char *text;
        FaultRule rule;
    };
    const Case cases[] = {
        {"bad-checksum", {FaultKind::BadChecksum, all, 1, none}},
        {"no-reply@2", {FaultKind::NoReply, all, 2, none}},
        {"late:0x01", {FaultKind::LateReply, 0x01, 1, none}},
        {"late:0X0a", {FaultKind::LateReply, 0x0A, 1, none}},
        {"hang-up:0x0Ax1", {FaultKind::HangUp, 0x0A, 1, 1u}},
        {"split:read-record@3x2", {FaultKind::SplitReply, 0x01, 3, 2u}},
        {"short:get-key", {FaultKind::ShortReply, 0x0C, 1, none}},
        {"wrong-length:set-time@10", {FaultKind::WrongLength, 0x05, 10, none}},
        {"bad-status:delete-compare", {FaultKind::BadStatus, 0x07, 1, none}},
        {"trailing-byte:0x03x5", {FaultKind::TrailingByte, 0x03, 1, 5u}},
        {"hang-up:set-keyx1", {FaultKind::HangUp, 0x0B, 1, 1u}},
        {"latex2", {FaultKind::LateReply, all, 1, 2u}},
        {"late=300", {FaultKind::LateReply, all, 1, none, 300ms}},
        {"late=1", {FaultKind::LateReply, all, 1, none, 1ms}},
        {"split=60000:query-count", {FaultKind::SplitReply, 0x04, 1, none, 60000ms}},
        {"delay=24:read-record", {FaultKind::Delay, 0x01, 1, none, 24ms}},
        {"delay=0x3", {FaultKind::Delay, all, 1, 3u, 0ms}},
        {"stray", {FaultKind::StrayBytes, all, 1, none}},
        {"stray=0", {FaultKind::StrayBytes, all, 1, none, 0ms}},
        {"stray/0d0a", {FaultKind::StrayBytes, all, 1, none, none, {0x0D, 0x0A}}},
        {"stray=4/0d0a:read-record@3x2", {FaultKind::StrayBytes, 0x01, 3, 2u, 4ms, {0x0D, 0x0A}}},
        {"noise", {FaultKind::Noise, all, 1, none}},
        {"noise=10/A55a", {FaultKind::Noise, all, 1, none, 10ms, {0xA5, 0x5A}}},
        {"noise/a5x2", {FaultKind::Noise, all, 1, 2u, none, {0xA5}}},
        {"noise/00112233445566778899aabbccddeeff",
         {FaultKind::Noise,
          all,
          1,
          none,
          none,
          {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseFaultRule(c.text), c.rule);
    }
}

TEST(FaultText, RefusesMalformedRules)
{
    for (const char *text : {"", "boom", "late:", "late:0x", "late:0x100", "late:frobnicate", "late@0", "late@",
                             "latex", "late:0x01x", "late@3junk", "late x2", "Late", "late:handshake:get-key"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(parseFaultRule(text), std::invalid_argument);
    }
}

TEST(FaultText, RefusesTimesAndBytesWhereTheyDoNotBelong)
{
    for (const char *text :
         {// no time, or one out of range
          "delay", "delay:read-record", "delay=", "late=", "late=0", "split=0", "late=60001", "delay=60001",
          "stray=99999999999999999999", "delay=-1", "stray=4ms",
          // kinds without a time or without bytes
          "short=5", "trailing-byte=3", "hang-up=50", "no-reply=1", "late/00", "split=40/00", "delay=24/00",
          "bad-checksum/00",
          // bytes malformed
          "stray/", "stray/0", "stray/0d0", "noise/zz", "noise/0x0d", "noise/00112233445566778899aabbccddeeff00",
          // parts out of order
          "stray/00=4", "stray:read-record=4", "noise@2/00"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(parseFaultRule(text), std::invalid_argument);
    }
}

TEST(FaultText, SaysWhyATimeIsRefused)
{
    const auto reasonFor = [](const char *text) -> std::string {
        try {
            parseFaultRule(text);
        } catch (const std::invalid_argument &error) {
            return error.what();
        }
        return "accepted";
    };
    EXPECT_NE(reasonFor("late=0").find("1 to 60000 ms"), std::string::npos) << reasonFor("late=0");
    EXPECT_NE(reasonFor("stray=60001").find("0 to 60000 ms"), std::string::npos);
    EXPECT_NE(reasonFor("delay").find("delay=24"), std::string::npos);
    EXPECT_NE(reasonFor("short=5").find("takes no time"), std::string::npos);
    EXPECT_NE(reasonFor("late/00").find("takes no bytes"), std::string::npos);
}

TEST(FaultText, WritesRulesBackInTheSameNotation)
{
    for (const char *text : {"bad-checksum", "split:read-record@3x2", "late:0x3Ex1", "hang-up@4", "short:get-keyx3",
                             "delay=24:read-record", "stray=4/0d0a:read-record@3x2", "noise=10/a55a", "late=300",
                             "split=40", "stray", "noise", "stray=0", "noise/00ffa55a:0x3E@2x1", "delay=0x1"}) {
        EXPECT_EQ(formatFaultRule(parseFaultRule(text)), text);
    }
}

// What a selection comes to, without the chosen rule's other fields.
struct Picked {
    std::optional<FaultKind> fault;
    milliseconds delay{0};
    friend bool operator==(const Picked &, const Picked &) = default;
};

void PrintTo(const Picked &picked, std::ostream *out)
{
    *out << (picked.fault ? static_cast<int>(*picked.fault) : -1) << " after " << picked.delay.count() << " ms";
}

struct SelectionCase {
    std::string name;
    std::vector<FaultRule> rules;
    Bytes codes;
    std::vector<Picked> picked;
};

TEST(FaultPlan, PicksTheFirstDueFaultAndTheFirstDueDelayPerRequest)
{
    const Picked healthy{};
    const auto just = [](FaultKind kind) { return Picked{kind, 0ms}; };
    const std::vector<SelectionCase> cases = {
        {"no rules", {}, {0, 1}, {healthy, healthy}},
        {"unlimited, every command",
         {{FaultKind::LateReply, all, 1, none}},
         {0, 1, 4},
         {just(FaultKind::LateReply), just(FaultKind::LateReply), just(FaultKind::LateReply)}},
        {"from the 2nd read-record, twice",
         {{FaultKind::BadChecksum, 0x01, 2, 2u}},
         {1, 0, 1, 1, 1, 1},
         {healthy, healthy, just(FaultKind::BadChecksum), just(FaultKind::BadChecksum), healthy, healthy}},
        {"from the 3rd request of any kind",
         {{FaultKind::ShortReply, all, 3, none}},
         {0, 1, 2, 4},
         {healthy, healthy, just(FaultKind::ShortReply), just(FaultKind::ShortReply)}},
        {"first rule wins; the second still counts its requests",
         {{FaultKind::NoReply, all, 1, 1u}, {FaultKind::ShortReply, 0x04, 2, none}},
         {4, 4, 0, 4},
         {just(FaultKind::NoReply), just(FaultKind::ShortReply), healthy, just(FaultKind::ShortReply)}},
        {"a used-up rule lets the next one through",
         {{FaultKind::HangUp, 0x00, 1, 1u}, {FaultKind::SplitReply, 0x00, 1, 1u}},
         {0, 0, 0},
         {just(FaultKind::HangUp), just(FaultKind::SplitReply), healthy}},
        {"a delay alone slows a healthy reply",
         {{FaultKind::Delay, 0x01, 1, none, 24ms}},
         {1, 0},
         {{none, 24ms}, healthy}},
        {"a delay combines with the first other fault due, whichever comes first",
         {{FaultKind::StrayBytes, 0x01, 1, none},
          {FaultKind::Delay, all, 1, none, 24ms},
          {FaultKind::BadChecksum, all, 1, none}},
         {1, 0},
         {{FaultKind::StrayBytes, 24ms}, {FaultKind::BadChecksum, 24ms}}},
        {"both fire: each is used up by the same request",
         {{FaultKind::Delay, all, 1, 1u, 30ms},
          {FaultKind::NoReply, all, 1, 1u},
          {FaultKind::ShortReply, all, 1, none}},
         {0, 0},
         {{FaultKind::NoReply, 30ms}, just(FaultKind::ShortReply)}},
        {"the first delay due wins; a later one still counts its requests",
         {{FaultKind::Delay, all, 1, 1u, 24ms}, {FaultKind::Delay, all, 2, none, 10ms}},
         {0, 0, 0},
         {{none, 24ms}, {none, 10ms}, {none, 10ms}}},
        {"a delay rule without a time, due first, is a delay of nothing",
         {{FaultKind::Delay, all, 1, 1u}, {FaultKind::Delay, all, 1, none, 10ms}},
         {0, 0},
         {healthy, {none, 10ms}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FaultPlan plan;
        for (const auto &rule : c.rules)
            plan.add(rule);
        std::vector<Picked> picked;
        for (auto code : c.codes) {
            const auto choice = plan.select(code);
            picked.push_back({choice.fault ? std::optional(choice.fault->kind) : none, choice.delay});
        }
        EXPECT_EQ(picked, c.picked);
    }
}

TEST(FaultPlan, HandsOverTheWholeRuleWithItsTimeAndBytes)
{
    const FaultRule stray{FaultKind::StrayBytes, 0x01, 1, none, 4ms, {0x0D, 0x0A}};
    FaultPlan plan;
    plan.add({FaultKind::Delay, all, 1, none, 24ms});
    plan.add(stray);
    EXPECT_EQ(plan.select(0x01), (FaultChoice{stray, 24ms}));
}

TEST(FaultPlan, ClearingStopsAllFaults)
{
    FaultPlan plan;
    plan.add({FaultKind::NoReply, all, 1, none});
    plan.add({FaultKind::Delay, all, 1, none, 24ms});
    plan.clear();
    EXPECT_EQ(plan.select(0), FaultChoice{});
    EXPECT_TRUE(plan.rules().empty());
}

FaultChoice fault(FaultKind kind, std::optional<milliseconds> time = none, Bytes bytes = {})
{
    return {FaultRule{kind, all, 1, none, time, std::move(bytes)}, 0ms};
}

FaultChoice delayed(milliseconds delay, FaultChoice choice = {})
{
    choice.delay = delay;
    return choice;
}

struct ShapeCase {
    std::string name;
    FaultChoice choice;
    std::uint8_t code;
    Bytes reply;
    std::vector<Delivery::Piece> pieces;
    bool hangUp = false;
};

TEST(ShapeReply, SpoilsTheReplyAsEachFaultSays)
{
    const Bytes count = {0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A};
    const Bytes ok = {0xA5, 0x02, 0x01, 0x00, 0x03, 0x5A};
    const Bytes record = test::reply(0x01, Bytes(31, '7'));
    const Bytes recordHead(record.begin(), record.begin() + 18);
    const Bytes recordRest(record.begin() + 18, record.end());
    const Bytes noise = {0x00, 0xFF, 0xA5, 0x5A};
    const FaultChoice healthy;
    const std::vector<ShapeCase> cases = {
        {"healthy", healthy, 0x04, count, {{0ms, 0ms, count}}},
        {"no reply", fault(FaultKind::NoReply), 0x04, count, {}},
        {"hang up", fault(FaultKind::HangUp), 0x04, count, {}, true},
        {"short", fault(FaultKind::ShortReply), 0x04, count, {{0ms, 0ms, {0xA5, 0x04, 0x02}}}},
        {"wrong length, checksum to match",
         fault(FaultKind::WrongLength),
         0x04,
         count,
         {{0ms, 0ms, {0xA5, 0x04, 0x03, 0xE8, 0x03, 0xF2, 0x5A}}}},
        {"wrong length on a status",
         fault(FaultKind::WrongLength),
         0x02,
         ok,
         {{0ms, 0ms, {0xA5, 0x02, 0x02, 0x00, 0x04, 0x5A}}}},
        {"bad checksum",
         fault(FaultKind::BadChecksum),
         0x04,
         count,
         {{0ms, 0ms, {0xA5, 0x04, 0x02, 0xE8, 0x03, 0x0E, 0x5A}}}},
        {"bad status for a data request",
         fault(FaultKind::BadStatus),
         0x04,
         count,
         {{0ms, 0ms, {0xA5, 0x04, 0x01, 0x01, 0x06, 0x5A}}}},
        {"bad status for a status request",
         fault(FaultKind::BadStatus),
         0x02,
         ok,
         {{0ms, 0ms, {0xA5, 0x02, 0x01, 0x01, 0x04, 0x5A}}}},
        {"trailing byte, in the reply's own piece",
         fault(FaultKind::TrailingByte),
         0x02,
         ok,
         {{0ms, 0ms, {0xA5, 0x02, 0x01, 0x00, 0x03, 0x5A, 0x00}}}},
        {"late read-record: 30 + 138 + 60 ms", fault(FaultKind::LateReply), 0x01, record, {{228ms, 0ms, record}}},
        {"late delete-compare: 1000 + 138 + 60 ms", fault(FaultKind::LateReply), 0x07, ok, {{1198ms, 0ms, ok}}},
        {"late=300 read-record: 30 + 138 + 300 ms",
         fault(FaultKind::LateReply, 300ms),
         0x01,
         record,
         {{468ms, 0ms, record}}},
        {"split query-count: rest 40 ms into the host's read",
         fault(FaultKind::SplitReply),
         0x04,
         count,
         {{0ms, 0ms, {0xA5, 0x04, 0x02}}, {240ms, 40ms, {0xE8, 0x03, 0xF1, 0x5A}}}},
        {"split read-record",
         fault(FaultKind::SplitReply),
         0x01,
         record,
         {{0ms, 0ms, recordHead}, {70ms, 40ms, recordRest}}},
        {"split=100 read-record",
         fault(FaultKind::SplitReply, 100ms),
         0x01,
         record,
         {{0ms, 0ms, recordHead}, {130ms, 100ms, recordRest}}},
        {"stray: one 00, 4 ms after the reply is out",
         fault(FaultKind::StrayBytes),
         0x02,
         ok,
         {{0ms, 0ms, ok}, {0ms, 4ms, {0x00}}}},
        {"stray=0/0d0a: its bytes, right behind the reply but apart",
         fault(FaultKind::StrayBytes, 0ms, {0x0D, 0x0A}),
         0x02,
         ok,
         {{0ms, 0ms, ok}, {0ms, 0ms, {0x0D, 0x0A}}}},
        {"noise: 00 ff a5 5a at 5 ms, the reply right behind",
         fault(FaultKind::Noise),
         0x04,
         count,
         {{5ms, 0ms, noise}, {0ms, 0ms, count}}},
        {"noise=10/a55a",
         fault(FaultKind::Noise, 10ms, {0xA5, 0x5A}),
         0x04,
         count,
         {{10ms, 0ms, {0xA5, 0x5A}}, {0ms, 0ms, count}}},
        {"a time on a kind without one changes nothing",
         fault(FaultKind::BadChecksum, 50ms),
         0x04,
         count,
         {{0ms, 0ms, {0xA5, 0x04, 0x02, 0xE8, 0x03, 0x0E, 0x5A}}}},
        {"delay alone: the healthy reply, later", delayed(24ms), 0x04, count, {{24ms, 0ms, count}}},
        {"delay rule handed over as the fault: the same",
         fault(FaultKind::Delay, 24ms),
         0x04,
         count,
         {{24ms, 0ms, count}}},
        {"delay and bad checksum",
         delayed(24ms, fault(FaultKind::BadChecksum)),
         0x04,
         count,
         {{24ms, 0ms, {0xA5, 0x04, 0x02, 0xE8, 0x03, 0x0E, 0x5A}}}},
        {"delay and stray: every piece shifted",
         delayed(24ms, fault(FaultKind::StrayBytes, 4ms)),
         0x02,
         ok,
         {{24ms, 0ms, ok}, {24ms, 4ms, {0x00}}}},
        {"delay and noise",
         delayed(24ms, fault(FaultKind::Noise)),
         0x04,
         count,
         {{29ms, 0ms, noise}, {24ms, 0ms, count}}},
        {"delay and split",
         delayed(24ms, fault(FaultKind::SplitReply)),
         0x01,
         record,
         {{24ms, 0ms, recordHead}, {94ms, 40ms, recordRest}}},
        {"delay and late", delayed(24ms, fault(FaultKind::LateReply)), 0x01, record, {{252ms, 0ms, record}}},
        {"delay and no reply: still nothing", delayed(24ms, fault(FaultKind::NoReply)), 0x04, count, {}},
        {"delay and hang-up: still the line drops", delayed(24ms, fault(FaultKind::HangUp)), 0x04, count, {}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto delivery = shapeReply(c.choice, c.code, c.reply);
        ASSERT_EQ(delivery.pieces.size(), c.pieces.size());
        for (std::size_t i = 0; i < c.pieces.size(); ++i) {
            EXPECT_EQ(delivery.pieces[i].notBefore, c.pieces[i].notBefore) << "piece " << i;
            EXPECT_EQ(delivery.pieces[i].pauseBefore, c.pieces[i].pauseBefore) << "piece " << i;
            EXPECT_EQ(delivery.pieces[i].bytes, c.pieces[i].bytes) << "piece " << i;
        }
        EXPECT_EQ(delivery.hangUp, c.hangUp);
    }
}

} // namespace
} // namespace kestsim

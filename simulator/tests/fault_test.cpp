#include <gtest/gtest.h>

#include <string>

#include "kestsim/delivery.h"
#include "kestsim/fault.h"
#include "kestsim/fault_text.h"
#include "wire_bytes.h"

namespace kestsim {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

TEST(FaultText, ReadsEveryPartOfARule) {
  struct Case {
    const char* text;
    FaultRule rule;
  };
  const Case cases[] = {
      {"bad-checksum", {FaultKind::BadChecksum, std::nullopt, 1, std::nullopt}},
      {"no-reply@2", {FaultKind::NoReply, std::nullopt, 2, std::nullopt}},
      {"late:0x01", {FaultKind::LateReply, 0x01, 1, std::nullopt}},
      {"late:0X0a", {FaultKind::LateReply, 0x0A, 1, std::nullopt}},
      {"hang-up:0x0Ax1", {FaultKind::HangUp, 0x0A, 1, 1u}},
      {"split:read-record@3x2", {FaultKind::SplitReply, 0x01, 3, 2u}},
      {"short:get-key", {FaultKind::ShortReply, 0x0C, 1, std::nullopt}},
      {"wrong-length:set-time@10", {FaultKind::WrongLength, 0x05, 10, std::nullopt}},
      {"bad-status:delete-compare", {FaultKind::BadStatus, 0x07, 1, std::nullopt}},
      {"trailing-byte:0x03x5", {FaultKind::TrailingByte, 0x03, 1, 5u}},
      {"hang-up:set-keyx1", {FaultKind::HangUp, 0x0B, 1, 1u}},
      {"latex2", {FaultKind::LateReply, std::nullopt, 1, 2u}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parseFaultRule(c.text), c.rule);
  }
}

TEST(FaultText, RefusesMalformedRules) {
  for (const char* text : {"", "boom", "late:", "late:0x", "late:0x100", "late:frobnicate",
                           "late@0", "late@", "latex", "late:0x01x", "late@3junk", "late x2",
                           "Late", "late:handshake:get-key"}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(parseFaultRule(text), std::invalid_argument);
  }
}

TEST(FaultText, WritesRulesBackInTheSameNotation) {
  for (const char* text : {"bad-checksum", "split:read-record@3x2", "late:0x3Ex1", "hang-up@4",
                           "short:get-keyx3"}) {
    EXPECT_EQ(formatFaultRule(parseFaultRule(text)), text);
  }
}

struct SelectionCase {
  std::string name;
  std::vector<FaultRule> rules;
  Bytes codes;
  std::vector<std::optional<FaultKind>> chosen;
};

TEST(FaultPlan, PicksTheFirstDueRulePerRequest) {
  constexpr auto none = std::nullopt;
  constexpr auto all = std::nullopt;
  const std::vector<SelectionCase> cases = {
      {"no rules", {}, {0, 1}, {none, none}},
      {"unlimited, every command",
       {{FaultKind::LateReply, all, 1, none}},
       {0, 1, 4},
       {FaultKind::LateReply, FaultKind::LateReply, FaultKind::LateReply}},
      {"from the 2nd read-record, twice",
       {{FaultKind::BadChecksum, 0x01, 2, 2u}},
       {1, 0, 1, 1, 1, 1},
       {none, none, FaultKind::BadChecksum, FaultKind::BadChecksum, none, none}},
      {"from the 3rd request of any kind",
       {{FaultKind::ShortReply, all, 3, none}},
       {0, 1, 2, 4},
       {none, none, FaultKind::ShortReply, FaultKind::ShortReply}},
      {"first rule wins; the second still counts its requests",
       {{FaultKind::NoReply, all, 1, 1u}, {FaultKind::ShortReply, 0x04, 2, none}},
       {4, 4, 0, 4},
       {FaultKind::NoReply, FaultKind::ShortReply, none, FaultKind::ShortReply}},
      {"a used-up rule lets the next one through",
       {{FaultKind::HangUp, 0x00, 1, 1u}, {FaultKind::SplitReply, 0x00, 1, 1u}},
       {0, 0, 0},
       {FaultKind::HangUp, FaultKind::SplitReply, none}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FaultPlan plan;
    for (const auto& rule : c.rules) plan.add(rule);
    std::vector<std::optional<FaultKind>> chosen;
    for (auto code : c.codes) chosen.push_back(plan.select(code));
    EXPECT_EQ(chosen, c.chosen);
  }
}

TEST(FaultPlan, ClearingStopsAllFaults) {
  FaultPlan plan;
  plan.add({FaultKind::NoReply, std::nullopt, 1, std::nullopt});
  plan.clear();
  EXPECT_EQ(plan.select(0), std::nullopt);
  EXPECT_TRUE(plan.rules().empty());
}

struct ShapeCase {
  std::string name;
  std::optional<FaultKind> fault;
  std::uint8_t code;
  Bytes reply;
  std::vector<Delivery::Piece> pieces;
  bool abandonable = false;
  bool hangUp = false;
};

TEST(ShapeReply, SpoilsTheReplyAsEachFaultSays) {
  const Bytes count = {0xA5, 0x04, 0x02, 0xE8, 0x03, 0xF1, 0x5A};
  const Bytes ok = {0xA5, 0x02, 0x01, 0x00, 0x03, 0x5A};
  const Bytes record = test::reply(0x01, Bytes(31, '7'));
  const std::vector<ShapeCase> cases = {
      {"healthy", std::nullopt, 0x04, count, {{0ms, 0ms, count}}},
      {"no reply", FaultKind::NoReply, 0x04, count, {}},
      {"hang up", FaultKind::HangUp, 0x04, count, {}, false, true},
      {"short", FaultKind::ShortReply, 0x04, count, {{0ms, 0ms, {0xA5, 0x04, 0x02}}}},
      {"wrong length, checksum to match", FaultKind::WrongLength, 0x04, count,
       {{0ms, 0ms, {0xA5, 0x04, 0x03, 0xE8, 0x03, 0xF2, 0x5A}}}},
      {"wrong length on a status", FaultKind::WrongLength, 0x02, ok,
       {{0ms, 0ms, {0xA5, 0x02, 0x02, 0x00, 0x04, 0x5A}}}},
      {"bad checksum", FaultKind::BadChecksum, 0x04, count,
       {{0ms, 0ms, {0xA5, 0x04, 0x02, 0xE8, 0x03, 0x0E, 0x5A}}}},
      {"bad status for a data request", FaultKind::BadStatus, 0x04, count,
       {{0ms, 0ms, {0xA5, 0x04, 0x01, 0x01, 0x06, 0x5A}}}},
      {"bad status for a status request", FaultKind::BadStatus, 0x02, ok,
       {{0ms, 0ms, {0xA5, 0x02, 0x01, 0x01, 0x04, 0x5A}}}},
      {"trailing byte", FaultKind::TrailingByte, 0x02, ok,
       {{0ms, 0ms, {0xA5, 0x02, 0x01, 0x00, 0x03, 0x5A, 0x00}}}},
      {"late read-record: 30 + 138 + 60 ms", FaultKind::LateReply, 0x01, record,
       {{228ms, 0ms, record}}, true},
      {"late delete-compare: 1000 + 138 + 60 ms", FaultKind::LateReply, 0x07, ok,
       {{1198ms, 0ms, ok}}, true},
      {"split query-count: rest 40 ms into the host's read", FaultKind::SplitReply, 0x04, count,
       {{0ms, 0ms, {0xA5, 0x04, 0x02}}, {240ms, 40ms, {0xE8, 0x03, 0xF1, 0x5A}}}, true},
      {"split read-record", FaultKind::SplitReply, 0x01, record,
       {{0ms, 0ms, Bytes(record.begin(), record.begin() + 18)},
        {70ms, 40ms, Bytes(record.begin() + 18, record.end())}}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto delivery = shapeReply(c.fault, c.code, c.reply);
    ASSERT_EQ(delivery.pieces.size(), c.pieces.size());
    for (std::size_t i = 0; i < c.pieces.size(); ++i) {
      EXPECT_EQ(delivery.pieces[i].notBefore, c.pieces[i].notBefore) << "piece " << i;
      EXPECT_EQ(delivery.pieces[i].pauseBefore, c.pieces[i].pauseBefore) << "piece " << i;
      EXPECT_EQ(delivery.pieces[i].bytes, c.pieces[i].bytes) << "piece " << i;
    }
    EXPECT_EQ(delivery.abandonOnNextRequest, c.abandonable);
    EXPECT_EQ(delivery.hangUp, c.hangUp);
  }
}

}  // namespace
}  // namespace kestsim

#include "kestsim/fault.h"

namespace kestsim {

bool faultSkipsCommand(FaultKind kind) {
  return kind == FaultKind::NoReply || kind == FaultKind::HangUp;
}

void FaultPlan::add(const FaultRule& rule) {
  std::lock_guard lock(mutex_);
  rules_.push_back({rule});
}

void FaultPlan::clear() {
  std::lock_guard lock(mutex_);
  rules_.clear();
}

std::vector<FaultRule> FaultPlan::rules() const {
  std::lock_guard lock(mutex_);
  std::vector<FaultRule> rules;
  for (const auto& armed : rules_) rules.push_back(armed.rule);
  return rules;
}

std::optional<FaultKind> FaultPlan::select(std::uint8_t code) {
  std::lock_guard lock(mutex_);
  std::optional<FaultKind> chosen;
  for (auto& armed : rules_) {
    const auto& rule = armed.rule;
    if (rule.command && *rule.command != code) continue;
    ++armed.matched;
    const bool due = armed.matched >= rule.fromMatch && (!rule.times || armed.fired < *rule.times);
    if (due && !chosen) {
      ++armed.fired;
      chosen = rule.kind;
    }
  }
  return chosen;
}

}  // namespace kestsim

// SPDX-License-Identifier: MIT
#include "kestsim/fault.h"

namespace kestsim {

bool faultSkipsCommand(FaultKind kind) { return kind == FaultKind::NoReply || kind == FaultKind::HangUp; }

void FaultPlan::add(const FaultRule &rule)
{
    std::lock_guard lock(mutex_);
    rules_.push_back({rule});
}

void FaultPlan::clear()
{
    std::lock_guard lock(mutex_);
    rules_.clear();
}

std::vector<FaultRule> FaultPlan::rules() const
{
    std::lock_guard lock(mutex_);
    std::vector<FaultRule> rules;
    for (const auto &armed : rules_)
        rules.push_back(armed.rule);
    return rules;
}

FaultChoice FaultPlan::select(std::uint8_t code)
{
    std::lock_guard lock(mutex_);
    FaultChoice choice;
    bool delayChosen = false;
    for (auto &armed : rules_) {
        const auto &rule = armed.rule;
        if (rule.command && *rule.command != code)
            continue;
        ++armed.matched;
        const bool due = armed.matched >= rule.fromMatch && (!rule.times || armed.fired < *rule.times);
        if (!due)
            continue;
        if (rule.kind == FaultKind::Delay) {
            if (delayChosen)
                continue;
            delayChosen = true;
            choice.delay = rule.time.value_or(std::chrono::milliseconds{0});
        } else {
            if (choice.fault)
                continue;
            choice.fault = rule;
        }
        ++armed.fired;
    }
    return choice;
}

} // namespace kestsim

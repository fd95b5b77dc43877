// SPDX-License-Identifier: MIT
#include "fault_rules.h"

namespace soak {

namespace {

using kestsim::FaultKind;
using kestsim::FaultRule;
using std::chrono::milliseconds;

milliseconds between(Rng &rng, long long low, long long high)
{
    return milliseconds(std::uniform_int_distribution<long long>(low, high)(rng));
}

std::vector<std::uint8_t> someBytes(Rng &rng, int most)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::uniform_int_distribution<int>(1, most)(rng)));
    for (auto &b : bytes)
        b = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 255)(rng));
    return bytes;
}

FaultRule once(FaultKind kind, std::uint8_t code, std::optional<milliseconds> time = std::nullopt,
               std::vector<std::uint8_t> bytes = {})
{
    return FaultRule{kind, code, 1, 1u, time, std::move(bytes)};
}

} // namespace

std::vector<FaultRule> faultRules(Fault fault, const CommandInfo &command, Rng &rng)
{
    if (!fault)
        return {};
    const auto code = command.code;
    const long long wait = command.wait.count();
    switch (*fault) {
    case FaultKind::Delay:
        // Up to 90 ms into a read that lasts 138 ms.
        return {once(FaultKind::Delay, code, between(rng, 0, wait + 90))};
    case FaultKind::StrayBytes:
        return {once(FaultKind::Delay, code, milliseconds(wait - 6)),
                once(FaultKind::StrayBytes, code, between(rng, 1, 15), someBytes(rng, 3))};
    case FaultKind::Noise: return {once(FaultKind::Noise, code, between(rng, 0, wait + 60), someBytes(rng, 6))};
    case FaultKind::LateReply: return {once(FaultKind::LateReply, code, between(rng, 1, 150))};
    case FaultKind::SplitReply:
        // More than the 20 ms of silence that ends a read.
        return {once(FaultKind::SplitReply, code, between(rng, 30, 150))};
    default: return {once(*fault, code)};
    }
}

} // namespace soak

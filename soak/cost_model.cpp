// SPDX-License-Identifier: MIT
#include "cost_model.h"

#include <algorithm>

#include "mix.h"

namespace soak {

namespace {

using kestsim::FaultKind;

constexpr double kByteMs = 10.0 / 115.2; // 10 bits a byte at 115200 baud
constexpr double kSilenceMs = 20.0;      // what ends a read that is not a whole reply
constexpr double kConnectMs = 200.0 + 5 * kByteMs;
constexpr double kSettleMs = 100.0; // what the next call waits, on average, after no whole reply

double readMs(const CommandInfo &command, Fault fault)
{
    // The count reply is never taken as whole early: it always waits the silence.
    const double tail = command.rule == Rule::Count ? kSilenceMs : 0.0;
    const double reply = command.replyBytes * kByteMs;
    if (!fault)
        return reply + tail;
    switch (*fault) {
    case FaultKind::BadChecksum: return reply + tail;
    case FaultKind::TrailingByte: return reply + kByteMs + tail;
    case FaultKind::BadStatus: return 6 * kByteMs + tail;
    case FaultKind::ShortReply: return 3 * kByteMs + kSilenceMs;
    case FaultKind::WrongLength: return reply + kSilenceMs;
    case FaultKind::SplitReply: return kSilenceMs + kSettleMs;
    case FaultKind::NoReply:
    case FaultKind::LateReply:
        // The read waits it out, and the next call gives the line its time.
        return static_cast<double>(kReadTimeout.count()) + kSettleMs;
    case FaultKind::HangUp: return static_cast<double>(kHangUpPause.count()) + kConnectMs;
    case FaultKind::Delay: return 45.0 + reply + tail; // half its 90 ms into the read
    case FaultKind::StrayBytes: return reply + kSilenceMs;
    case FaultKind::Noise: return 30.0 + reply + tail;
    }
    return 0.0;
}

} // namespace

double expectedCostMs(Command command, Fault fault)
{
    const auto &c = info(command);
    return static_cast<double>(c.wait.count()) + readMs(c, fault);
}

double estimateSeconds(std::size_t calls, std::size_t sweepCalls)
{
    double sweep = 0.0;
    double perCall = 0.0;
    for (const auto &c : commands())
        for (const auto &f : allFaults()) {
            sweep += expectedCostMs(c.command, f);
            perCall += commandShare(c.command) * faultShare(c.command, f) * expectedCostMs(c.command, f);
        }
    const std::size_t swept = std::min(calls, sweepCalls);
    sweep *= static_cast<double>(swept) / static_cast<double>(sweepCalls);
    return (sweep + perCall * static_cast<double>(calls - swept)) / 1000.0;
}

} // namespace soak

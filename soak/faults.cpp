// SPDX-License-Identifier: MIT
#include "faults.h"

namespace soak {

namespace {

using kestsim::FaultKind;

constexpr Fault kFaults[kFaultCount] = {
    std::nullopt,           FaultKind::NoReply,   FaultKind::ShortReply,   FaultKind::WrongLength,
    FaultKind::BadChecksum, FaultKind::BadStatus, FaultKind::TrailingByte, FaultKind::LateReply,
    FaultKind::SplitReply,  FaultKind::HangUp,    FaultKind::Delay,        FaultKind::StrayBytes,
    FaultKind::Noise,
};

constexpr std::string_view kNames[kFaultCount] = {
    "none", "no-reply", "short",   "wrong-length", "bad-checksum", "bad-status", "trailing-byte",
    "late", "split",    "hang-up", "delay",        "stray",        "noise",
};

} // namespace

std::span<const Fault> allFaults() { return kFaults; }

std::size_t indexOf(Fault fault)
{
    for (std::size_t i = 0; i < kFaultCount; ++i)
        if (kFaults[i] == fault)
            return i;
    return 0;
}

std::string_view faultName(Fault fault) { return kNames[indexOf(fault)]; }

bool skipsCommand(Fault fault) { return fault && kestsim::faultSkipsCommand(*fault); }

} // namespace soak

// SPDX-License-Identifier: MIT
// What the library must answer when the virtual reader spoils a reply: one
// row per fault, one column per reply rule. A data reply needs its full length
// and its length byte, a status reply its status byte 0, "any" a single byte,
// the count reply exactly seven bytes with a good checksum; checksums are
// examined only in the count reply. Bytes in front of the reply (noise) are
// not part of it; bytes after it within the read are, for the count reply's
// seven. A delay is one that still lets the reply come within the read. The
// device tests and the soak both hold the library to this one table.
#pragma once

#include <optional>

#include "kestsim/fault.h"

namespace kestlink::test {

enum class ReplyRule { Data, Status, Any, Count };

struct FaultVerdicts {
    std::optional<kestsim::FaultKind> fault; // none: the reply as the reader made it
    bool data, status, any, count;
};

inline constexpr FaultVerdicts kFaultVerdicts[] = {
    {std::nullopt, true, true, true, true},
    {kestsim::FaultKind::NoReply, false, false, false, false},
    {kestsim::FaultKind::ShortReply, false, false, true, false},
    {kestsim::FaultKind::WrongLength, false, true, true, true},
    {kestsim::FaultKind::BadChecksum, true, true, true, false},
    {kestsim::FaultKind::BadStatus, false, false, true, false},
    {kestsim::FaultKind::TrailingByte, true, true, true, false},
    {kestsim::FaultKind::LateReply, false, false, false, false},
    {kestsim::FaultKind::SplitReply, false, false, true, false},
    {kestsim::FaultKind::HangUp, false, false, false, false},
    {kestsim::FaultKind::Delay, true, true, true, true},
    {kestsim::FaultKind::StrayBytes, true, true, true, false},
    {kestsim::FaultKind::Noise, true, true, true, true},
};

constexpr bool verdictOf(const FaultVerdicts &row, ReplyRule rule)
{
    switch (rule) {
    case ReplyRule::Data: return row.data;
    case ReplyRule::Status: return row.status;
    case ReplyRule::Any: return row.any;
    case ReplyRule::Count: return row.count;
    }
    return false;
}

constexpr bool expectedVerdict(ReplyRule rule, std::optional<kestsim::FaultKind> fault)
{
    for (const auto &row : kFaultVerdicts)
        if (row.fault == fault)
            return verdictOf(row, rule);
    return false;
}

} // namespace kestlink::test

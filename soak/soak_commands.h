// SPDX-License-Identifier: MIT
// The eleven commands the soak drives (every export but connect and close):
// what the reader is given on the wire, how long the library waits, and by
// which rule the library judges the reply.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "kestrix_testing/fault_verdicts.h"

namespace soak {

using Rule = kestlink::test::ReplyRule;

enum class Command {
    ReadRecord,
    DeleteAll,
    QueryCount,
    SetTime,
    LoadCompare,
    DeleteCompare,
    ReadCompare,
    SetDomain,
    GetDomain,
    SetKey,
    GetKey,
};

inline constexpr std::size_t kCommandCount = 11;

struct CommandInfo {
    Command command;
    std::string_view name;
    std::uint8_t code;              // the request's command byte, to aim a fault at it
    std::chrono::milliseconds wait; // the library's fixed wait before its one read
    Rule rule;
    std::size_t replyBytes; // the healthy reply's length on the wire
};

std::span<const CommandInfo> commands();
const CommandInfo &info(Command command);
std::size_t indexOf(Command command);

// The longest a host read lasts when nothing arrives.
inline constexpr std::chrono::milliseconds kReadTimeout{138};

} // namespace soak

// SPDX-License-Identifier: MIT
#include "kestsim/command.h"

#include <array>

namespace kestsim {
namespace {

struct CommandInfo {
    std::uint8_t code;
    std::string_view name;
    std::chrono::milliseconds hostWait;
};

using namespace std::chrono_literals;

constexpr std::array<CommandInfo, 12> kCommands{{
    {command::kHandshake, "handshake", 200ms},
    {command::kReadRecord, "read-record", 30ms},
    {command::kDeleteAllRecords, "delete-all", 200ms},
    {command::kQueryCount, "query-count", 200ms},
    {command::kSetClock, "set-time", 200ms},
    {command::kLoadCompareEntry, "load-compare", 200ms},
    {command::kDeleteCompareList, "delete-compare", 1000ms},
    {command::kReadCompareEntry, "read-compare", 200ms},
    {command::kSetDomain, "set-domain", 500ms},
    {command::kGetDomain, "get-domain", 200ms},
    {command::kSetKey, "set-key", 500ms},
    {command::kGetKey, "get-key", 200ms},
}};

const CommandInfo *find(std::uint8_t code)
{
    for (const auto &info : kCommands) {
        if (info.code == code)
            return &info;
    }
    return nullptr;
}

} // namespace

std::optional<std::string_view> commandName(std::uint8_t code)
{
    if (const auto *info = find(code))
        return info->name;
    return std::nullopt;
}

std::optional<std::uint8_t> commandFromName(std::string_view name)
{
    for (const auto &info : kCommands) {
        if (info.name == name)
            return info.code;
    }
    return std::nullopt;
}

std::chrono::milliseconds hostWaitFor(std::uint8_t code)
{
    // The host answers an unknown code with the usual 200 ms as well.
    if (const auto *info = find(code))
        return info->hostWait;
    return 200ms;
}

} // namespace kestsim

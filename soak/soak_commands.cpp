// SPDX-License-Identifier: MIT
#include "soak_commands.h"

namespace soak {

namespace {

using namespace std::chrono_literals;

// Reply lengths: start, code, length byte, data, checksum, end. A status
// reply carries one byte of data; the count reply two.
constexpr CommandInfo kCommands[kCommandCount] = {
    {Command::ReadRecord, "read-record", 0x01, 30ms, Rule::Data, 36},
    {Command::DeleteAll, "delete-all", 0x02, 200ms, Rule::Any, 6},
    {Command::QueryCount, "query-count", 0x04, 200ms, Rule::Count, 7},
    {Command::SetTime, "set-time", 0x05, 200ms, Rule::Status, 6},
    {Command::LoadCompare, "load-compare", 0x06, 200ms, Rule::Status, 6},
    {Command::DeleteCompare, "delete-compare", 0x07, 1000ms, Rule::Status, 6},
    {Command::ReadCompare, "read-compare", 0x08, 200ms, Rule::Data, 35},
    {Command::SetDomain, "set-domain", 0x09, 500ms, Rule::Status, 6},
    {Command::GetDomain, "get-domain", 0x0A, 200ms, Rule::Data, 28},
    {Command::SetKey, "set-key", 0x0B, 500ms, Rule::Status, 6},
    {Command::GetKey, "get-key", 0x0C, 200ms, Rule::Data, 20},
};

} // namespace

std::span<const CommandInfo> commands() { return kCommands; }

std::size_t indexOf(Command command) { return static_cast<std::size_t>(command); }

const CommandInfo &info(Command command) { return kCommands[indexOf(command)]; }

} // namespace soak

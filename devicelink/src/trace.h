// The library is silent unless KESTLINK_TRACE is set in the environment; then
// it writes one line to standard error for each port it tries and for each
// transaction, so that "no reader found" can be told apart from "no
// permission" or "wrong reply".
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "frame.h"
#include "serial_channel.h"

namespace kestlink::trace {

bool enabled();

std::string hex(std::span<const std::uint8_t> bytes);

// Why a port could not be used, as an operator can act on it.
const char *describe(OpenFailure failure);

void portResult(const char *portName, const std::string &path, const std::string &outcome);
void transaction(const protocol::CommandInfo &command, std::span<const std::uint8_t> request,
                 std::span<const std::uint8_t> reply, bool verdict);
void message(const std::string &text);

} // namespace kestlink::trace

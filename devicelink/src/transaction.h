// SPDX-License-Identifier: MIT
// The one request/reply cycle every command runs.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "protocol.h"
#include "kestlink/host.h"

namespace kestlink {

struct Reply {
    std::array<std::uint8_t, protocol::kReplyBufferSize> bytes{};
    std::size_t size = 0;  // bytes received
    std::size_t start = 0; // where the reply starts among them
    std::span<const std::uint8_t> received() const { return {bytes.data(), size}; }
    // The reply proper, from its start byte on: what the rules judge.
    std::span<const std::uint8_t> frame() const { return received().subspan(start); }
    const std::uint8_t *payload() const { return frame().data() + protocol::kReplyPayloadOffset; }
};

// How a read decides it has everything. The library ends a read as soon as one
// whole reply has arrived (except for the count reply); the plain form waits
// for the line to fall silent, as a serial driver's time-outs alone would.
// ReadEnd, setReadEnd and readEnd: kestlink/host.h.

// Builds the request, sends it when a port is open, waits the command's fixed
// time, reads once and judges the reply by the command's rule. Returns the
// verdict; nothing is sent and false is returned while the channel is closed.
// Takes the link lock for its whole length.
bool transact(protocol::Command command, std::span<const std::uint8_t> payload, Reply &reply);

} // namespace kestlink

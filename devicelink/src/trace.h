// SPDX-License-Identifier: MIT
// The library is silent unless KESTLINK_TRACE is set in the environment; then
// it writes one line to standard error for each port it tries and for each
// transaction, so that "no reader found" can be told apart from "no
// permission" or "wrong reply".
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "protocol.h"
#include "serial_channel.h"

namespace kestlink::trace {

bool enabled();

std::string hex(std::span<const std::uint8_t> bytes);

// Writes one line at once. Never call it with the link locked: see Lines.
void message(const std::string &text);

// The lines of one exported call, gathered while the link is locked and
// written when the gatherer goes out of scope. Declared before the lock, it
// goes after the lock is released, so a standard error that nobody reads
// holds up the caller that traces, never the other threads' transactions.
class Lines {
public:
    Lines();
    ~Lines();
    Lines(const Lines &) = delete;
    Lines &operator=(const Lines &) = delete;

    void message(std::string text);
    void portResult(const char *portName, const std::string &path, const std::string &outcome);
    void transaction(const protocol::CommandInfo &command, std::span<const std::uint8_t> request,
                     std::span<const std::uint8_t> reply, bool verdict);

private:
    bool enabled_;
    std::vector<std::string> lines_;
};

} // namespace kestlink::trace

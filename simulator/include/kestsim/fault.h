// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace kestsim {

enum class FaultKind {
    NoReply,      // the request is ignored
    ShortReply,   // only the first 3 bytes of the reply
    WrongLength,  // length byte one too high, checksum made to match it
    BadChecksum,  // checksum byte inverted
    BadStatus,    // every reply becomes the status reply "failed" (01)
    TrailingByte, // one 0x00 right behind the reply
    LateReply,    // the reply comes after the host has stopped reading
    SplitReply,   // first half, a pause inside the host's read, then the rest
    HangUp,       // the reader drops the line and comes back on a new one
    Delay,        // the reply, healthy or spoilt by another rule, comes later
    StrayBytes,   // bytes of nothing, a little after the reply
    Noise,        // bytes of nothing before the reply
};

// Which requests a fault hits. A rule counts the requests for its command
// (every command when none is set); from the fromMatch-th of those on it
// fires, at most `times` times (no limit when unset).
struct FaultRule {
    FaultKind kind = FaultKind::NoReply;
    std::optional<std::uint8_t> command;
    unsigned fromMatch = 1;
    std::optional<unsigned> times;
    // The kind's timing; unset: the kind's default (delivery.h). Only late,
    // split, delay, stray and noise have one; a delay without it is none.
    std::optional<std::chrono::milliseconds> time{};
    // What stray and noise send; empty: the kind's default. Others ignore it.
    std::vector<std::uint8_t> bytes{};

    friend bool operator==(const FaultRule &, const FaultRule &) = default;
};

// The ignored request and the hang-up never reach the reader's logic, so the
// command has no effect; with every other fault the command is carried out
// and only the reply is spoiled (a host that retries a "delete all" after a
// bad checksum finds the records already gone, as with the real reader).
bool faultSkipsCommand(FaultKind kind);

// What happens to the reply to one request: a fault, a delay, both or
// neither. A slow reader can be faulty in any other way as well.
struct FaultChoice {
    std::optional<FaultRule> fault;     // the first due rule that is not a delay
    std::chrono::milliseconds delay{0}; // from the first due delay rule

    friend bool operator==(const FaultChoice &, const FaultChoice &) = default;
};

// The rules of one reader. Rules may be added or cleared from any thread
// while the reader is serving. Each rule counts every request it matches,
// whether or not an earlier rule took it. Of the rules due to fire, the
// delay added first and the other fault added first both fire.
class FaultPlan {
public:
    void add(const FaultRule &rule);
    void clear();
    std::vector<FaultRule> rules() const;

    // Counts one well-formed request and says what to do to its reply.
    FaultChoice select(std::uint8_t code);

private:
    struct ArmedRule {
        FaultRule rule;
        unsigned matched = 0;
        unsigned fired = 0;
    };
    mutable std::mutex mutex_;
    std::vector<ArmedRule> rules_;
};

} // namespace kestsim

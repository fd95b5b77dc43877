// SPDX-License-Identifier: MIT
#include "kestsim/fault_text.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "kestsim/command.h"

namespace kestsim {
namespace {

constexpr std::array<std::pair<FaultKind, std::string_view>, 12> kKindNames{{
    {FaultKind::NoReply, "no-reply"},
    {FaultKind::ShortReply, "short"},
    {FaultKind::WrongLength, "wrong-length"},
    {FaultKind::BadChecksum, "bad-checksum"},
    {FaultKind::BadStatus, "bad-status"},
    {FaultKind::TrailingByte, "trailing-byte"},
    {FaultKind::LateReply, "late"},
    {FaultKind::SplitReply, "split"},
    {FaultKind::HangUp, "hang-up"},
    {FaultKind::Delay, "delay"},
    {FaultKind::StrayBytes, "stray"},
    {FaultKind::Noise, "noise"},
}};

bool takesTime(FaultKind kind)
{
    return kind == FaultKind::LateReply || kind == FaultKind::SplitReply || kind == FaultKind::Delay ||
           kind == FaultKind::StrayBytes || kind == FaultKind::Noise;
}

bool takesBytes(FaultKind kind) { return kind == FaultKind::StrayBytes || kind == FaultKind::Noise; }

// A late reply at the very end of the host's read, or a split without a
// pause, would be no fault; a delay, stray bytes or noise at once are.
std::chrono::milliseconds shortestTime(FaultKind kind)
{
    const bool mustWait = kind == FaultKind::LateReply || kind == FaultKind::SplitReply;
    return std::chrono::milliseconds{mustWait ? 1 : 0};
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::invalid_argument refusal(const std::string &reason, std::string_view whole)
{
    return std::invalid_argument(reason + " in fault \"" + std::string(whole) + "\"");
}

// No kind or command name has an 'x' in it, so a name ends where the
// repeat count "x3" begins: "split:read-recordx3".
bool isNameChar(char c) { return ((c >= 'a' && c <= 'z') || c == '-') && c != 'x'; }

// Takes the leading run of characters accepted by `accept` off `text`.
template <typename Accept> std::string_view takeWhile(std::string_view &text, Accept accept)
{
    std::size_t n = 0;
    while (n < text.size() && accept(text[n]))
        ++n;
    const auto taken = text.substr(0, n);
    text.remove_prefix(n);
    return taken;
}

unsigned parseCount(std::string_view &text, std::string_view what, std::string_view whole)
{
    const auto digits = takeWhile(text, isDigit);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value == 0) {
        throw std::invalid_argument(std::string(what) + " in fault \"" + std::string(whole) +
                                    "\" must be a number from 1");
    }
    return value;
}

std::chrono::milliseconds parseTime(std::string_view &text, FaultKind kind, std::string_view whole)
{
    const auto digits = takeWhile(text, isDigit);
    const auto shortest = shortestTime(kind);
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || value < static_cast<unsigned long>(shortest.count()) ||
        value > static_cast<unsigned long>(kMaxFaultTime.count())) {
        throw refusal("the time after = must be " + std::to_string(shortest.count()) + " to " +
                          std::to_string(kMaxFaultTime.count()) + " ms for " + std::string(faultKindName(kind)),
                      whole);
    }
    return std::chrono::milliseconds{value};
}

std::vector<std::uint8_t> parseBytes(std::string_view &text, std::string_view whole)
{
    const auto digits = takeWhile(text, isHexDigit);
    if (digits.empty() || digits.size() % 2 != 0 || digits.size() > 2 * kMaxFaultBytes) {
        throw refusal("the bytes after / must be 1 to " + std::to_string(kMaxFaultBytes) +
                          " bytes of two hex digits each",
                      whole);
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        unsigned value = 0;
        std::from_chars(digits.data() + i, digits.data() + i + 2, value, 16);
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

std::uint8_t parseCommand(std::string_view &text, std::string_view whole)
{
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        const auto digits = takeWhile(text, isHexDigit);
        unsigned value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (digits.empty() || error != std::errc() || value > 0xFF) {
            throw std::invalid_argument("command code in fault \"" + std::string(whole) + "\" must be 0x00 to 0xFF");
        }
        return static_cast<std::uint8_t>(value);
    }
    const auto name = takeWhile(text, isNameChar);
    if (const auto code = commandFromName(name))
        return *code;
    throw std::invalid_argument("unknown command \"" + std::string(name) + "\" in fault \"" + std::string(whole) +
                                "\"");
}

} // namespace

std::string_view faultKindName(FaultKind kind)
{
    for (const auto &[k, name] : kKindNames) {
        if (k == kind)
            return name;
    }
    return "?";
}

std::optional<FaultKind> faultKindFromName(std::string_view name)
{
    for (const auto &[kind, n] : kKindNames) {
        if (n == name)
            return kind;
    }
    return std::nullopt;
}

FaultRule parseFaultRule(std::string_view text)
{
    const std::string_view whole = text;
    FaultRule rule;
    const auto kindName = takeWhile(text, isNameChar);
    const auto kind = faultKindFromName(kindName);
    if (!kind) {
        throw std::invalid_argument("unknown fault kind \"" + std::string(kindName) + "\"");
    }
    rule.kind = *kind;
    if (text.starts_with('=')) {
        if (!takesTime(rule.kind))
            throw refusal(std::string(kindName) + " takes no time", whole);
        text.remove_prefix(1);
        rule.time = parseTime(text, rule.kind, whole);
    } else if (rule.kind == FaultKind::Delay) {
        throw refusal("delay needs its time, as in delay=24", whole);
    }
    if (text.starts_with('/')) {
        if (!takesBytes(rule.kind))
            throw refusal(std::string(kindName) + " takes no bytes", whole);
        text.remove_prefix(1);
        rule.bytes = parseBytes(text, whole);
    }
    if (text.starts_with(':')) {
        text.remove_prefix(1);
        rule.command = parseCommand(text, whole);
    }
    if (text.starts_with('@')) {
        text.remove_prefix(1);
        rule.fromMatch = parseCount(text, "the request number after @", whole);
    }
    if (text.starts_with('x')) {
        text.remove_prefix(1);
        rule.times = parseCount(text, "the count after x", whole);
    }
    if (!text.empty()) {
        throw std::invalid_argument("unexpected \"" + std::string(text) + "\" in fault \"" + std::string(whole) + "\"");
    }
    return rule;
}

std::string formatFaultRule(const FaultRule &rule)
{
    std::string text(faultKindName(rule.kind));
    if (rule.time)
        text += '=' + std::to_string(rule.time->count());
    if (!rule.bytes.empty()) {
        text += '/';
        for (const auto byte : rule.bytes) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02x", byte);
            text += hex;
        }
    }
    if (rule.command) {
        text += ':';
        if (const auto name = commandName(*rule.command)) {
            text += *name;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", *rule.command);
            text += hex;
        }
    }
    if (rule.fromMatch != 1)
        text += '@' + std::to_string(rule.fromMatch);
    if (rule.times)
        text += 'x' + std::to_string(*rule.times);
    return text;
}

} // namespace kestsim

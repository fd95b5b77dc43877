#include "kestsim/fault_text.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>

#include "kestsim/command.h"

namespace kestsim {
namespace {

constexpr std::array<std::pair<FaultKind, std::string_view>, 9> kKindNames{{
    {FaultKind::NoReply, "no-reply"},
    {FaultKind::ShortReply, "short"},
    {FaultKind::WrongLength, "wrong-length"},
    {FaultKind::BadChecksum, "bad-checksum"},
    {FaultKind::BadStatus, "bad-status"},
    {FaultKind::TrailingByte, "trailing-byte"},
    {FaultKind::LateReply, "late"},
    {FaultKind::SplitReply, "split"},
    {FaultKind::HangUp, "hang-up"},
}};

// No kind or command name has an 'x' in it, so a name ends where the
// repeat count "x3" begins: "split:read-recordx3".
bool isNameChar(char c) { return ((c >= 'a' && c <= 'z') || c == '-') && c != 'x'; }

// Takes the leading run of characters accepted by `accept` off `text`.
template <typename Accept>
std::string_view takeWhile(std::string_view& text, Accept accept) {
  std::size_t n = 0;
  while (n < text.size() && accept(text[n])) ++n;
  const auto taken = text.substr(0, n);
  text.remove_prefix(n);
  return taken;
}

unsigned parseCount(std::string_view& text, std::string_view what, std::string_view whole) {
  const auto digits = takeWhile(text, [](char c) { return c >= '0' && c <= '9'; });
  unsigned value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      value == 0) {
    throw std::invalid_argument(std::string(what) + " in fault \"" + std::string(whole) +
                                "\" must be a number from 1");
  }
  return value;
}

std::uint8_t parseCommand(std::string_view& text, std::string_view whole) {
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    const auto digits = takeWhile(text, [](char c) {
      return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
    unsigned value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (digits.empty() || error != std::errc() || value > 0xFF) {
      throw std::invalid_argument("command code in fault \"" + std::string(whole) +
                                  "\" must be 0x00 to 0xFF");
    }
    return static_cast<std::uint8_t>(value);
  }
  const auto name = takeWhile(text, isNameChar);
  if (const auto code = commandFromName(name)) return *code;
  throw std::invalid_argument("unknown command \"" + std::string(name) + "\" in fault \"" +
                              std::string(whole) + "\"");
}

}  // namespace

std::string_view faultKindName(FaultKind kind) {
  for (const auto& [k, name] : kKindNames) {
    if (k == kind) return name;
  }
  return "?";
}

std::optional<FaultKind> faultKindFromName(std::string_view name) {
  for (const auto& [kind, n] : kKindNames) {
    if (n == name) return kind;
  }
  return std::nullopt;
}

FaultRule parseFaultRule(std::string_view text) {
  const std::string_view whole = text;
  FaultRule rule;
  const auto kindName = takeWhile(text, isNameChar);
  const auto kind = faultKindFromName(kindName);
  if (!kind) {
    throw std::invalid_argument("unknown fault kind \"" + std::string(kindName) + "\"");
  }
  rule.kind = *kind;
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
    throw std::invalid_argument("unexpected \"" + std::string(text) + "\" in fault \"" +
                                std::string(whole) + "\"");
  }
  return rule;
}

std::string formatFaultRule(const FaultRule& rule) {
  std::string text(faultKindName(rule.kind));
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
  if (rule.fromMatch != 1) text += '@' + std::to_string(rule.fromMatch);
  if (rule.times) text += 'x' + std::to_string(*rule.times);
  return text;
}

}  // namespace kestsim

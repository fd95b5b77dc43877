// SPDX-License-Identifier: MIT
#include "trace.h"

#include <cstdio>
#include <cstdlib>

namespace kestlink {

const char *describe(OpenFailure failure)
{
    switch (failure) {
    case OpenFailure::None: return "opened";
    case OpenFailure::NotFound: return "no such port";
    case OpenFailure::PermissionDenied:
        return "permission denied (on Linux, add your user to the 'dialout' group: "
               "sudo usermod -aG dialout $USER, then log in again)";
    case OpenFailure::Busy: return "held by another program";
    case OpenFailure::NotATerminal: return "not a terminal (not a serial port), left untouched";
    case OpenFailure::Other: return "could not be opened";
    }
    return "could not be opened";
}

} // namespace kestlink

namespace kestlink::trace {

bool enabled()
{
    const char *value = std::getenv("KESTLINK_TRACE");
    return value != nullptr && *value != '\0' && std::string(value) != "0";
}

std::string hex(std::span<const std::uint8_t> bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (auto b : bytes) {
        if (!text.empty())
            text += ' ';
        text += digits[b >> 4];
        text += digits[b & 0x0F];
    }
    return text;
}

void message(const std::string &text)
{
    if (!enabled())
        return;
    std::fprintf(stderr, "kestlink: %s\n", text.c_str());
    std::fflush(stderr);
}

Lines::Lines() : enabled_(enabled()) {}

Lines::~Lines()
{
    for (const auto &line : lines_)
        std::fprintf(stderr, "kestlink: %s\n", line.c_str());
    if (!lines_.empty())
        std::fflush(stderr);
}

void Lines::message(std::string text)
{
    if (enabled_)
        lines_.push_back(std::move(text));
}

void Lines::portResult(const char *portName, const std::string &path, const std::string &outcome)
{
    if (enabled_)
        lines_.push_back(std::string(portName) + " (" + path + "): " + outcome);
}

void Lines::transaction(const protocol::CommandInfo &command, std::span<const std::uint8_t> request,
                        std::span<const std::uint8_t> reply, bool verdict)
{
    if (!enabled_)
        return;
    lines_.push_back(std::string(command.name) + ": sent " + hex(request) + "; received " +
                     (reply.empty() ? std::string("nothing") : hex(reply)) + " (" + std::to_string(reply.size()) +
                     " bytes): " + (verdict ? "ok" : "failed"));
}

} // namespace kestlink::trace

// SPDX-License-Identifier: MIT
#include "kestsim/request_log.h"

#include <cstdio>
#include <ostream>

namespace kestsim {

std::string hexBytes(std::span<const std::uint8_t> bytes)
{
    std::string text;
    for (auto byte : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", byte);
        if (!text.empty())
            text += ' ';
        text += hex;
    }
    return text;
}

void RequestLog::echoTo(std::ostream *out, std::string label)
{
    std::lock_guard lock(mutex_);
    echo_ = out;
    label_ = std::move(label);
}

void RequestLog::add(std::span<const std::uint8_t> bytes, bool wellFormed)
{
    std::lock_guard lock(mutex_);
    frames_.push_back({{bytes.begin(), bytes.end()}, wellFormed});
    if (echo_) {
        // One write per line so that lines from several readers do not mix.
        const std::string line = label_ + (wellFormed ? " <- " : " <- malformed, no reply: ") + hexBytes(bytes) + '\n';
        *echo_ << line << std::flush;
    }
}

std::vector<ReceivedFrame> RequestLog::frames() const
{
    std::lock_guard lock(mutex_);
    return frames_;
}

std::size_t RequestLog::count() const
{
    std::lock_guard lock(mutex_);
    return frames_.size();
}

std::vector<std::uint8_t> RequestLog::commandCodes() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> codes;
    for (const auto &frame : frames_) {
        if (frame.wellFormed)
            codes.push_back(frame.code());
    }
    return codes;
}

void RequestLog::clear()
{
    std::lock_guard lock(mutex_);
    frames_.clear();
}

} // namespace kestsim

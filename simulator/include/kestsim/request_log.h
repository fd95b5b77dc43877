// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace kestsim {

struct ReceivedFrame {
    std::vector<std::uint8_t> bytes;
    bool wellFormed = false;

    // The command code, or 0xFF when the frame is too short to have one.
    std::uint8_t code() const { return bytes.size() > 1 ? bytes[1] : 0xFF; }
};

// "AA 00 00 00 55"
std::string hexBytes(std::span<const std::uint8_t> bytes);

// Every frame a reader received, malformed ones included, so tests can see
// what the host sent and to whom. Safe to read from another thread.
class RequestLog {
public:
    // Also writes one line per frame, e.g. "COM3 <- AA 00 00 00 55", to `out`
    // (nullptr stops it). The stream must outlive the reader.
    void echoTo(std::ostream *out, std::string label);

    void add(std::span<const std::uint8_t> bytes, bool wellFormed);
    std::vector<ReceivedFrame> frames() const;
    std::size_t count() const;
    // Codes of the well-formed frames, in arrival order.
    std::vector<std::uint8_t> commandCodes() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<ReceivedFrame> frames_;
    std::ostream *echo_ = nullptr;
    std::string label_;
};

} // namespace kestsim

// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kestsim::test {

using namespace std::chrono_literals;
using TestClock = std::chrono::steady_clock;

// The host's side of a virtual reader: a raw terminal opened like a serial
// port, as the link library does.
class HostTerminal {
public:
    struct Arrival {
        TestClock::time_point at;
        std::uint8_t byte;
    };

    // Throws std::system_error when the terminal cannot be opened.
    explicit HostTerminal(const std::string &path);
    ~HostTerminal();
    HostTerminal(const HostTerminal &) = delete;
    HostTerminal &operator=(const HostTerminal &) = delete;

    void send(std::span<const std::uint8_t> bytes);

    // Reads until `count` bytes came, the line dropped, or `limit` passed.
    // The limit only keeps a broken test from hanging.
    std::vector<Arrival> receive(std::size_t count, std::chrono::milliseconds limit = 5s);
    // Everything that arrives within the window.
    std::vector<std::uint8_t> collectFor(std::chrono::milliseconds window);

    // True once a read has reported that the reader dropped the line.
    bool lineDropped() const { return dropped_; }

    static std::vector<std::uint8_t> bytesOf(const std::vector<Arrival> &arrivals);

private:
    int fd_ = -1;
    bool dropped_ = false;
};

// Sends a request and reads a reply of the expected size.
std::vector<std::uint8_t> exchange(HostTerminal &host, std::span<const std::uint8_t> request, std::size_t replySize);

} // namespace kestsim::test

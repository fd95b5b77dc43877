// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kestsim {

struct FramedRequest {
    std::vector<std::uint8_t> bytes;
    bool wellFormed = false; // false: bad checksum or no 0x55 at the end
};

// Cuts the byte stream from the host into request frames. Bytes before an
// 0xAA are skipped, which is how the reader finds its footing again after
// line noise or a host that gave up half way. A frame whose checksum or end
// byte is wrong is handed out whole, marked not well formed.
class RequestFramer {
public:
    std::vector<FramedRequest> feed(std::span<const std::uint8_t> bytes);

    // Bytes of a frame begun but not finished.
    bool hasPartialFrame() const { return !pending_.empty(); }

    // Gives up on the unfinished frame (the port does this after a silence,
    // since a host never pauses inside a frame) and returns its bytes.
    std::vector<std::uint8_t> dropPartialFrame();

private:
    std::vector<std::uint8_t> pending_;
};

} // namespace kestsim

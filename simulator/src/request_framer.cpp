// SPDX-License-Identifier: MIT
#include "kestsim/request_framer.h"

#include <algorithm>

#include "kestsim/frame.h"

namespace kestsim {

std::vector<FramedRequest> RequestFramer::feed(std::span<const std::uint8_t> bytes)
{
    std::vector<FramedRequest> frames;
    for (auto byte : bytes) {
        if (pending_.empty() && byte != kRequestStart)
            continue; // hunting for a start
        pending_.push_back(byte);
        if (pending_.size() < 3)
            continue;
        const std::size_t frameSize = pending_[2] + kFrameOverhead;
        if (pending_.size() < frameSize)
            continue;
        // A bad frame is dropped whole rather than rescanned from its second
        // byte: the host clears the line before every request, so whatever
        // comes next starts cleanly.
        const bool good = isWellFormedRequest(pending_);
        frames.push_back({std::move(pending_), good});
        pending_.clear();
    }
    return frames;
}

std::vector<std::uint8_t> RequestFramer::dropPartialFrame()
{
    std::vector<std::uint8_t> dropped;
    dropped.swap(pending_);
    return dropped;
}

} // namespace kestsim

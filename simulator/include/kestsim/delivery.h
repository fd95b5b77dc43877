// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

#include "kestsim/fault.h"

namespace kestsim {

// How a reply goes out on the line. Pieces go out in order, each in a write
// of its own, behind whatever the reader still owes from earlier requests:
// a reader that is late with one answer is late with the next one too.
struct Delivery {
    struct Piece {
        // Not before this long after the request arrived...
        std::chrono::milliseconds notBefore{0};
        // ...nor before this long after the previous piece was out. A reply
        // never overtakes the one before it.
        std::chrono::milliseconds pauseBefore{0};
        std::vector<std::uint8_t> bytes;
    };

    std::vector<Piece> pieces;
    // The reader hangs up instead of answering.
    bool hangUp = false;

    // Every byte of every piece, in order.
    std::vector<std::uint8_t> bytes() const;
};

// The timing a fault has when its rule sets none.
//
// The host reads only after a fixed wait, so a pause that is over by then
// goes unnoticed. A split reply therefore starts at once but holds its
// second half until 40 ms into the host's read: longer than the 20 ms of
// silence that ends it. A late reply comes 60 ms after the longest read.
inline constexpr std::chrono::milliseconds kSplitReplyGap{40};
inline constexpr std::chrono::milliseconds kLateReplyMargin{60};
// Stray bytes come a little after the reply, in a burst of their own:
// within the 20 ms a host listens on for more.
inline constexpr std::chrono::milliseconds kStrayBytesGap{4};
// Noise comes a little after the request, before the reply.
inline constexpr std::chrono::milliseconds kNoiseLead{5};

// The bytes stray and noise send when their rule names none. The noise
// holds a zero, a pad byte and both frame markers, so that a host looking
// for the reply by its start byte alone is misled.
inline constexpr std::array<std::uint8_t, 1> kDefaultStrayBytes{0x00};
inline constexpr std::array<std::uint8_t, 4> kDefaultNoise{0x00, 0xFF, 0xA5, 0x5A};

// Turns the healthy reply to a request with this code into what the faulty
// reader sends: the chosen fault, every piece of it shifted by the chosen
// delay. No fault and no delay: the reply as it is, at once.
Delivery shapeReply(const FaultChoice &choice, std::uint8_t code, std::vector<std::uint8_t> reply);

} // namespace kestsim

#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "kestsim/fault.h"

namespace kestsim {

// How a reply goes out on the line.
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
  // What is still held back when the host sends its next request is
  // dropped, so that a late reply or the rest of a split one never lands in
  // the middle of the following exchange.
  bool abandonOnNextRequest = false;
  // The reader hangs up instead of answering.
  bool hangUp = false;

  // Every byte of every piece, in order.
  std::vector<std::uint8_t> bytes() const;
};

// The host reads only after a fixed wait, so a pause that is over by then
// goes unnoticed. A split reply therefore starts at once but holds its
// second half until 40 ms into the host's read: longer than the 20 ms of
// silence that ends it. A late reply comes 60 ms after the longest read.
inline constexpr std::chrono::milliseconds kSplitReplyGap{40};
inline constexpr std::chrono::milliseconds kLateReplyMargin{60};

// Turns the healthy reply to a request with this code into what the faulty
// reader sends. No fault: the reply as it is, at once.
Delivery shapeReply(std::optional<FaultKind> fault, std::uint8_t code,
                    std::vector<std::uint8_t> reply);

}  // namespace kestsim

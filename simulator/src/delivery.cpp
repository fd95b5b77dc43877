#include "kestsim/delivery.h"

#include "kestsim/command.h"
#include "kestsim/frame.h"

namespace kestsim {

std::vector<std::uint8_t> Delivery::bytes() const {
  std::vector<std::uint8_t> all;
  for (const auto& piece : pieces) all.insert(all.end(), piece.bytes.begin(), piece.bytes.end());
  return all;
}

Delivery shapeReply(std::optional<FaultKind> fault, std::uint8_t code,
                    std::vector<std::uint8_t> reply) {
  Delivery delivery;
  if (!fault) {
    delivery.pieces.push_back({{}, {}, std::move(reply)});
    return delivery;
  }
  // Byte positions in a reply: 0 start, 2 length, size-2 checksum.
  switch (*fault) {
    case FaultKind::NoReply:
      break;
    case FaultKind::HangUp:
      delivery.hangUp = true;
      break;
    case FaultKind::ShortReply:
      reply.resize(3);
      delivery.pieces.push_back({{}, {}, std::move(reply)});
      break;
    case FaultKind::WrongLength: {
      const auto oldLength = reply[2]++;
      reply[reply.size() - 2] = static_cast<std::uint8_t>(reply[reply.size() - 2] - oldLength + reply[2]);
      delivery.pieces.push_back({{}, {}, std::move(reply)});
      break;
    }
    case FaultKind::BadChecksum:
      reply[reply.size() - 2] ^= 0xFF;
      delivery.pieces.push_back({{}, {}, std::move(reply)});
      break;
    case FaultKind::BadStatus:
      delivery.pieces.push_back({{}, {}, encodeStatusReply(code, kStatusFailed)});
      break;
    case FaultKind::TrailingByte:
      reply.push_back(0x00);
      delivery.pieces.push_back({{}, {}, std::move(reply)});
      break;
    case FaultKind::LateReply:
      delivery.pieces.push_back(
          {hostWaitFor(code) + kHostReadWindow + kLateReplyMargin, {}, std::move(reply)});
      delivery.abandonOnNextRequest = true;
      break;
    case FaultKind::SplitReply: {
      const auto half = reply.begin() + static_cast<std::ptrdiff_t>(reply.size() / 2);
      delivery.pieces.push_back({{}, {}, {reply.begin(), half}});
      delivery.pieces.push_back(
          {hostWaitFor(code) + kSplitReplyGap, kSplitReplyGap, {half, reply.end()}});
      delivery.abandonOnNextRequest = true;
      break;
    }
  }
  return delivery;
}

}  // namespace kestsim

// SPDX-License-Identifier: MIT
// Where the reply stands in what a read received.
//
// The line may carry bytes in front of the reply that belong to no reply the
// host asked for: a line end or pad byte that the reader sent after its
// previous reply, noise on a long cable, the last bytes of a reply that a USB
// adapter held back. They arrive after the purge that starts a transaction,
// so the purge cannot remove them. A reply starts at its start byte; judged
// from the first byte received, a good reply would fail because of a byte
// that came before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol.h"

namespace kestlink::protocol {

// True when one whole frame starts at bytes[0]: 0xA5, the length byte, the
// payload it announces, the checksum and 0x5A. More bytes may follow it.
bool wholeFrameAt(std::span<const std::uint8_t> bytes);

// Where the reply starts: at the first whole frame; when there is none, at the
// first start byte; when there is no start byte either, at the first byte, so
// that what arrived is judged as a whole as it always was.
std::size_t replyStart(std::span<const std::uint8_t> received);

// The reply: from its start to the end of what was received. Bytes after a
// whole frame stay part of it, so that the count reply's rule of exactly seven
// bytes still sees a byte that trails it within the read.
std::span<const std::uint8_t> locateReply(std::span<const std::uint8_t> received);

// True when the reply is one whole frame with nothing after it: the read can
// end without waiting for the line to fall silent.
bool isWholeReply(std::span<const std::uint8_t> received);

// How many more bytes at least before what arrived holds a whole reply at its
// end; 0 when it does. expectedSize is the size of the reply the command gets
// when nothing of it has arrived yet. Lets a read ask the driver for exactly
// the bytes it still waits for.
std::size_t bytesToWholeReply(std::span<const std::uint8_t> received, std::size_t expectedSize);

// True once a reply has begun among what arrived: a start byte followed by a
// code and a length byte that fits the frame in the read. Bytes before that
// (a stray byte, a line end, noise) are no reply yet, so the silence after
// them does not end a read that still waits for one.
bool replyBegun(std::span<const std::uint8_t> received);

// The size of the whole reply a command expects: a data reply carries its
// data, the count reply two bytes, the handshake reply none, every other
// reply one status byte.
std::size_t expectedReplySize(const CommandInfo &command);

} // namespace kestlink::protocol

// SPDX-License-Identifier: MIT
// The library's connection state: one serial channel per process, and the
// lock that makes each exported call one indivisible transaction.
#pragma once

#include <mutex>

#include "line_settle.h"
#include "serial_channel.h"

namespace kestlink {

SerialChannel &channel();

// What the line is owed after a read that did not get a whole reply.
LineSettle &lineSettle();

// Whether the connection ended because the port went away under a call (the
// channel was closed then), rather than by KX_Close or a failed connect.
// Touched with the link locked.
bool &linkLost();

// Held for the whole of an exported call, so two threads never interleave
// frames on the wire.
std::unique_lock<std::mutex> lockLink();

} // namespace kestlink

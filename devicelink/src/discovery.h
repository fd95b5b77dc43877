// SPDX-License-Identifier: MIT
// Finding the reader: the ports COM3 to COM9, then the USB serial adapters,
// are tried in turn with the handshake, and the first that answers stays open.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "port_candidates.h"
#include "port_holder.h"
#include "serial_channel.h"

namespace kestlink {

constexpr int kFirstReaderPort = 3;
constexpr int kLastReaderPort = 9;

// The line every port is set to when it opens: 115200 baud, 8 data bits,
// 1 stop bit, no parity checking, raw; reads end 20 ms after the last byte or
// 10 ms + 2 ms per requested byte after they begin.
void applyReaderLine(SerialChannel &port);

// Returns true with the channel open on the reader's port, false with it closed.
bool connectToReader();

// PortTry, connectToPort and lastConnectReport: kestlink/host.h.

} // namespace kestlink

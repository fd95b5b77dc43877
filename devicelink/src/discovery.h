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

// How trying one port ended, in the terms the operator is told.
enum class PortOutcome { Answered, NotFound, NoPermission, Busy, NotAPort, NoAnswer, WrongAnswer, Failed };

// What trying one port gave.
struct PortTry {
    std::string name;                        // as the operator reads it
    PortKind kind = PortKind::Com;
    std::string path;                        // the device the name leads to
    bool opened = false;
    OpenFailure failure = OpenFailure::None; // why it did not open
    bool answered = false;                   // the reader answered the handshake
    bool replied = false;                    // something came back, answered or not
    std::optional<PortHolder> holder;        // who holds it, when busy and known

    PortOutcome outcome() const;
};

// One port as connectToReader tries each: opened (a "COMn" name, a by-id
// name or a device path), set to the reader's line, given the handshake.
// With stayOpen the channel stays on it when the reader answered; it is
// closed otherwise. For the command-line tool; not exported.
PortTry connectToPort(const char *portName, bool stayOpen = true);

// The ports the last connectToReader tried, in order.
std::vector<PortTry> lastConnectReport();

} // namespace kestlink

// Finding the reader: the ports COM3 to COM9 are tried in turn with the
// handshake, and the first that answers stays open.
#pragma once

#include <string>

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

// What trying one port gave.
struct PortTry {
    std::string path;                        // the device the name leads to
    bool opened = false;
    OpenFailure failure = OpenFailure::None; // why it did not open
    bool answered = false;                   // the reader answered the handshake
};

// One port as connectToReader tries each of COM3 to COM9: opened (a "COMn"
// name or a device path), set to the reader's line, given the handshake.
// With stayOpen the channel stays on it when the reader answered; it is
// closed otherwise. For the command-line tool; not exported.
PortTry connectToPort(const char *portName, bool stayOpen = true);

} // namespace kestlink

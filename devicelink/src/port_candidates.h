// SPDX-License-Identifier: MIT
// The ports a search for the reader tries, in the order it tries them.
#pragma once

#include <string>
#include <vector>

namespace kestlink {

enum class PortKind {
    Com,     // COM3 to COM9
    UsbById, // a USB serial adapter by the stable link udev makes for it
    UsbNode, // a USB serial adapter by its device node (no link for it)
    Listed,  // a further COM port the system lists (Windows)
};

struct PortCandidate {
    std::string name;     // as the operator reads it: "COM3", a by-id name, "/dev/ttyUSB0"
    std::string openName; // what SerialChannel::open takes
    PortKind kind = PortKind::Com;
};

// COM3 to COM9, then the USB serial adapters present, each device once.
// With KESTLINK_PORT_DIR set (POSIX), COM3 to COM9 of that folder only: a
// test's or an operator's choice of ports is exactly what is searched.
std::vector<PortCandidate> readerPortCandidates();

// The USB serial adapters present, in a stable order (platform file).
// POSIX: the links in <devRoot>/serial/by-id sorted by name, then the nodes
// <devRoot>/ttyUSB* and <devRoot>/ttyACM* in number order; a node that a
// link leads to is left out. Windows: the COM ports listed under
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM other than COM3 to COM9, in number
// order; devRoot is unused there.
std::vector<PortCandidate> usbAdapterPorts(const std::string &devRoot = "/dev");

} // namespace kestlink

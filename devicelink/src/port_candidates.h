// SPDX-License-Identifier: MIT
// The ports a search for the reader tries, in the order it tries them.
#pragma once

#include <string>
#include <vector>

#include "kestlink/host.h"

namespace kestlink {

// readerPortCandidates() (kestlink/host.h) lists COM3 to COM9 and these: a
// port folder (KESTLINK_PORT_DIR) is a test's or an operator's choice of
// ports, exactly what is searched.

// The USB serial adapters present, in a stable order (platform file).
// POSIX: the links in <devRoot>/serial/by-id sorted by name, then the nodes
// <devRoot>/ttyUSB* and <devRoot>/ttyACM* in number order; a node that a
// link leads to is left out. Windows: the COM ports listed under
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM other than COM3 to COM9, in number
// order; devRoot is unused there.
std::vector<PortCandidate> usbAdapterPorts(const std::string &devRoot = "/dev");

} // namespace kestlink

// SPDX-License-Identifier: MIT
// Where a port named "COMn" lives on a POSIX system.
#pragma once

#include <string>

namespace kestlink {

// "COMn" is the file COMn inside $KESTLINK_PORT_DIR when that is set (usually
// a link to /dev/ttyUSB0 or to a pseudo-terminal), else /dev/ttyS<n-1>.
// The environment is read at every call. A name that is not "COM" and a
// number is the name of a link in /dev/serial/by-id when there is one by
// that name (a USB serial adapter's stable name), else a path as it is.
std::string portPath(const char *portName);

} // namespace kestlink

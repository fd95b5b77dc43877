// SPDX-License-Identifier: MIT
// Which program holds a port that is busy, where the system can tell.
#pragma once

#include <optional>
#include <string>

#include "kestlink/host.h"

namespace kestlink {

// Linux: the process holding the advisory lock on the device (the lock that
// serial programs take), else one that has the device open; nothing where it
// cannot be told (another user's process whose files we may not read, other
// systems). Never this process.
#if defined(__linux__)
std::optional<PortHolder> portHolder(const std::string &path);
#else
inline std::optional<PortHolder> portHolder(const std::string &) { return std::nullopt; }
#endif

} // namespace kestlink

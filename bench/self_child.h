// SPDX-License-Identifier: MIT
// Running this same program again in a fresh process and taking what it
// prints, for measurements that an earlier one in this process would spoil.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestbench {

// Starts /proc/self/exe with the arguments, waits for it and returns its
// standard output; nothing when it cannot be started or does not exit with 0.
std::optional<std::string> runSelf(const std::vector<std::string> &arguments);

} // namespace kestbench

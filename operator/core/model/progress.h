// SPDX-License-Identifier: MIT
// Where the progress bar stands after item i of n: i * 100 / n, computed in
// floating point and truncated, so that long downloads advance smoothly.
#pragma once

#include <cstddef>

namespace kestrix {

int progressPosition(std::size_t i, std::size_t n);

} // namespace kestrix

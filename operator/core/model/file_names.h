// SPDX-License-Identifier: MIT
// File names as the operator's steps carry them: the system's own bytes on
// POSIX, UTF-8 on Windows (where the system's own are UTF-16).
#pragma once

#include <filesystem>
#include <string>

namespace kestrix {

std::filesystem::path pathFromName(const std::string &name);
std::string nameFromPath(const std::filesystem::path &path);

// The name made absolute against the current folder, "." and ".." taken out;
// links are not followed.
std::string absoluteName(const std::string &name);

} // namespace kestrix

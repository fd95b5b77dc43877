// SPDX-License-Identifier: MIT
// UTF-8 and UTF-16 for the Win32 calls: the steps speak UTF-8, Windows'
// W functions UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace kestrix {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

} // namespace kestrix

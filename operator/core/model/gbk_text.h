// SPDX-License-Identifier: MIT
// Showing the reader's bytes (code page 936, GBK) as text in which every
// byte can be seen: a byte that is no character becomes one U+FFFD of its
// own instead of vanishing or turning into a private-use glyph, so two rows
// whose bytes differ never look the same for want of a visible character.
//
// A byte below 0x80 is itself and 0x80 is the euro sign, as code page 936
// has it on Windows. A lead byte 0x81 to 0xFE followed by a trail byte (0x40
// to 0x7E, 0x80 to 0xFE) is the pair's character when code page 936 gives
// the pair one outside the private-use area. Any other byte is one U+FFFD,
// and decoding goes on at the next byte. n bytes thus give at most n
// characters, all in the Basic Multilingual Plane.
#pragma once

#include <string>
#include <string_view>

namespace kestrix {

std::u16string gbkToUtf16(std::string_view bytes);
std::string gbkToUtf8(std::string_view bytes);

} // namespace kestrix

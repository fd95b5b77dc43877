// SPDX-License-Identifier: MIT
// The one thing the platform is asked when decoding GBK (gbk_text.cpp holds
// the rule): which character code page 936 gives a lead and a trail byte.
// gbk_text_posix.cpp answers through iconv, gbk_text_win32.cpp through
// MultiByteToWideChar.
#pragma once

namespace kestrix::gbk_text_detail {

// The UTF-16 code unit of the pair's character, or 0 when the platform
// gives the pair none (or one that needs two code units). Safe to call from
// several threads at once.
char16_t pairCharacter(unsigned char lead, unsigned char trail);

} // namespace kestrix::gbk_text_detail

// SPDX-License-Identifier: MIT
// Pairs of code page 936 through Windows' own table.
#if !defined(WIN32_LEAN_AND_MEAN)
#  define WIN32_LEAN_AND_MEAN
#endif
#if !defined(NOMINMAX)
#  define NOMINMAX
#endif
#include <windows.h>

#include "gbk_text_pair.h"

namespace kestrix::gbk_text_detail {

char16_t pairCharacter(unsigned char lead, unsigned char trail)
{
    const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    wchar_t out[2];
    // MB_ERR_INVALID_CHARS: a pair the table lacks fails instead of
    // becoming the code page's default character.
    const int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, in, 2, out, 2);
    return n == 1 ? static_cast<char16_t>(out[0]) : u'\0';
}

} // namespace kestrix::gbk_text_detail

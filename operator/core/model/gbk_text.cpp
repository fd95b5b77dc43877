// SPDX-License-Identifier: MIT
#include "gbk_text.h"

#include "gbk_text_pair.h"

namespace kestrix {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool isLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool isTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

// Windows gives its user-defined areas of code page 936 (and the few pairs
// that Unicode lacked when the table was made) private-use characters, which
// no font the operator has draws and glibc does not know: such a pair shows
// as two bad bytes on every platform alike.
bool isShown(char16_t c)
{
    const bool privateUse = c >= 0xE000 && c <= 0xF8FF;
    const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    return c != 0 && !privateUse && !surrogate;
}

// Calls emit with each character of bytes, one BMP code unit each.
template <typename Emit> void decode(std::string_view bytes, Emit emit)
{
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            emit(static_cast<char16_t>(b));
            ++i;
            continue;
        }
        // Code page 936 on Windows has the euro sign as its one single byte
        // above ASCII (glibc's GBK agrees); GB18030 would reject it.
        if (b == 0x80) {
            emit(u'\u20AC');
            ++i;
            continue;
        }
        if (isLead(b) && i + 1 < n) {
            const auto trail = static_cast<unsigned char>(bytes[i + 1]);
            if (isTrail(trail)) {
                const char16_t c = gbk_text_detail::pairCharacter(b, trail);
                if (isShown(c)) {
                    emit(c);
                    i += 2;
                    continue;
                }
            }
        }
        // One mark for this byte alone: the next one may still start a
        // character (an ASCII trail byte shows as itself).
        emit(kReplacement);
        ++i;
    }
}

void appendUtf8(std::string &out, char16_t c)
{
    // decode() gives no surrogates, so every code unit is a code point.
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::u16string gbkToUtf16(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    decode(bytes, [&text](char16_t c) { text += c; });
    return text;
}

std::string gbkToUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    decode(bytes, [&text](char16_t c) { appendUtf8(text, c); });
    return text;
}

} // namespace kestrix

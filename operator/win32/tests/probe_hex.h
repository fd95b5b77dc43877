// SPDX-License-Identifier: MIT
// How the tests and the probes under Wine pass texts over a line: UTF-8 bytes
// as lowercase hex, "-" for none, so that a text with spaces or line ends
// stays one word of the line.
#pragma once

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace kestrix::test {

inline std::string hex(const std::string &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 0x0F];
    }
    return text.empty() ? "-" : text;
}

inline std::string unhex(const std::string &text)
{
    if (text == "-")
        return {};
    std::string bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return bytes;
}

// An answer line's words.
inline std::vector<std::string> words(const std::string &line)
{
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

} // namespace kestrix::test

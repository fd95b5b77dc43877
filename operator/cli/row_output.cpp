// SPDX-License-Identifier: MIT
#include "row_output.h"

#include <cstdio>

#include "gbk_text.h"
#include "cli_hex.h"

namespace kestlink_cli {

namespace {

bool printableAscii(const std::string &bytes)
{
    for (const unsigned char c : bytes)
        if (c < 0x20 || c > 0x7E)
            return false;
    return true;
}

// A JSON string of UTF-8 text.
std::string jsonString(const std::string &text)
{
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

} // namespace

std::string textLine(const kestrix::RowTexts &row)
{
    return row.sequence + '\t' + kestrix::gbkToUtf8(row.cardNumber) + '\t' + row.time + '\t' + row.flag + '\n';
}

std::string jsonLine(const kestrix::RowTexts &row)
{
    std::string line = "{\"sequence\":" + jsonString(row.sequence);
    line += ",\"card\":" + jsonString(kestrix::gbkToUtf8(row.cardNumber));
    if (!printableAscii(row.cardNumber))
        line += ",\"card_hex\":\"" + hexText(row.cardNumber) + "\"";
    line += ",\"time\":" + jsonString(row.time);
    line += ",\"flag\":" + jsonString(row.flag);
    return line + "}\n";
}

} // namespace kestlink_cli

// SPDX-License-Identifier: MIT
// A row of the record list: the four column texts as the bytes the list
// holds (GBK; card numbers and times are ASCII). Export writes exactly these
// bytes, and duplicate removal compares them.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>

#include "kestlink.h"

namespace kestrix {

struct RowTexts {
    std::string sequence;   // "00001"
    std::string cardNumber; // "999 012345678901"
    std::string time;       // "2024/01/27 13:12:07"
    std::string flag;       // " " when the record has no flag, else the digit

    friend bool operator==(const RowTexts &, const RowTexts &) = default;
};

// Five digits of s, each (s / 10^k) mod 10: 7 gives "00007", 123456 gives "23456".
// A negative s gives the digits of its magnitude: -7 gives "00007".
std::string sequenceText(std::int32_t s);

// The list's four columns, in order: their titles and widths in pixels.
struct ListColumn {
    const char *title; // UTF-8
    int width;
};
inline constexpr ListColumn kListColumns[] = {{"序号", 50}, {"卡号", 120}, {"时间", 140}, {"标记", 50}};
inline constexpr int kListColumnCount = 4;
static_assert(std::size(kListColumns) == kListColumnCount);

// The bytes of column c of a row (0 sequence, 1 card, 2 time, 3 flag).
const std::string &columnText(const RowTexts &row, int column);

// The row a record becomes, numbered s. Texts are C strings, so a zero byte
// in the record ends the column's text there, as the list would show it.
RowTexts rowFromRecord(const TagRecord &record, std::int32_t s);

} // namespace kestrix

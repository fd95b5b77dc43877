// SPDX-License-Identifier: MIT
// Comparison-table contents as strings of 16 bytes, zero bytes included, so
// that tests compare whole entries and see the zero fill.
#pragma once

#include <string>
#include <vector>

#include "compare_table.h"

namespace kestrix::test {

// The card text as an entry holds it: zero-filled to 16 bytes.
inline std::string entry(const std::string &card)
{
    std::string bytes = card.substr(0, 16);
    bytes.resize(16, '\0');
    return bytes;
}

inline std::vector<std::string> entries(const std::vector<std::string> &cards)
{
    std::vector<std::string> out;
    for (const std::string &card : cards)
        out.push_back(entry(card));
    return out;
}

// The table's first count entries.
inline std::vector<std::string> tableEntries(const CompareTable &table)
{
    std::vector<std::string> out;
    for (int i = 0; i < table.count; ++i)
        out.emplace_back(table.entries[static_cast<std::size_t>(i)].cardNumber, 16);
    return out;
}

} // namespace kestrix::test

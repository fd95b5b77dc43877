// SPDX-License-Identifier: MIT
// The comparison-file scan written out plainly from its description in
// compare_table.h, for the fuzz target to hold the real scan against.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kestrix_fuzz {

struct ModelRow {
    std::size_t fieldStart;  // offset of the first card byte
    std::size_t fieldLength; // card bytes before the next comma, at most 16
};

inline std::vector<ModelRow> modelCompareRows(std::span<const std::uint8_t> bytes)
{
    constexpr std::size_t kLimit = 65536;
    constexpr std::size_t kCard = 16;
    const std::size_t length = std::min(bytes.size(), kLimit);
    std::vector<ModelRow> rows;
    std::size_t from = 0;
    for (;;) {
        // The next line feed from here with a comma six bytes on, whose row
        // still has room for a whole card field inside the bytes looked at.
        std::size_t lineFeed = from;
        while (lineFeed + 1 + 5 + 1 + kCard <= length && !(bytes[lineFeed] == '\n' && bytes[lineFeed + 6] == ','))
            ++lineFeed;
        if (lineFeed + 1 + 5 + 1 + kCard > length)
            return rows;
        const std::size_t start = lineFeed + 7;
        std::size_t fieldLength = 0;
        while (fieldLength < kCard && bytes[start + fieldLength] != ',')
            ++fieldLength;
        rows.push_back({start, fieldLength});
        // Just past the comma that ends the field, or one byte past a full one.
        from = start + fieldLength + 1;
    }
}

} // namespace kestrix_fuzz

// SPDX-License-Identifier: MIT
#include "duplicates.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_set>

namespace kestrix {

std::vector<RowTexts> withoutDuplicateCards(const std::vector<RowTexts> &rows)
{
    // A row stays when no later row has its card number, so walking from the
    // end, a row stays exactly when its card is seen for the first time. One
    // pass with a hash set instead of comparing every pair: a full reader
    // holds 65,535 records. The views point into the caller's rows, which
    // outlive the set.
    std::unordered_set<std::string_view> seen;
    seen.reserve(rows.size());
    std::vector<RowTexts> kept;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (seen.insert(row->cardNumber).second)
            kept.push_back(*row);
    }
    std::reverse(kept.begin(), kept.end());
    for (std::size_t i = 0; i < kept.size(); ++i)
        kept[i].sequence = sequenceText(static_cast<std::int32_t>(i + 1));
    return kept;
}

} // namespace kestrix

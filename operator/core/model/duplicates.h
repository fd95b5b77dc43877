// SPDX-License-Identifier: MIT
// Reducing the record list to one row per card number.
#pragma once

#include <vector>

#include "row_texts.h"

namespace kestrix {

// Keeps the last row of each card number (compared byte for byte), in list
// order, renumbered from "00001"; time and flag go with their row.
std::vector<RowTexts> withoutDuplicateCards(const std::vector<RowTexts> &rows);

} // namespace kestrix

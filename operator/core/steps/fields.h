// SPDX-License-Identifier: MIT
// The dialog's fields: the numbers and texts of its edit boxes as the steps
// last read or wrote them, and the checks each carries when read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit.h"
#include "view.h"

namespace kestrix {

// The most the record-number boxes take.
constexpr std::int32_t kMaxRecordNumber = 20000;

struct DialogFields {
    std::int32_t recordCount = 0;
    std::int32_t singleNumber = 1;
    std::string keyText;
    std::string keyReadBack;
    std::int32_t rangeStart = 1;
    std::int32_t rangeEnd = 1;
};

// A whole signed 32-bit number, blanks around it allowed; nothing else.
std::optional<std::int32_t> parseIntegerField(std::string_view text);

std::string integerMessage();
std::string rangeMessage(int minimum, int maximum);
std::string lengthMessage(int maximum);

// Reads the edit boxes into the fields in their order, checking each. The
// first that fails says why and gets the focus, and the reading stops there;
// a number out of its range is kept as typed all the same.
bool fetchFields(View &view, Toolkit &toolkit, DialogFields &fields);

// Writes every field into its edit box.
void showFields(View &view, const DialogFields &fields);

} // namespace kestrix

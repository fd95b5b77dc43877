// SPDX-License-Identifier: MIT
// The comparison list the operator loads from a CSV file and downloads to the
// reader: up to 1000 card numbers in file order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "kestlink.h"

namespace kestrix {

constexpr std::size_t kCompareTableCapacity = 1000;
constexpr std::size_t kCompareFileBufferSize = 65536;

struct CompareTable {
    std::array<CompareEntry, kCompareTableCapacity> entries{};
    std::int32_t count = 0; // valid entries, 0 to 1000
};

// Scans the bytes of an export file for rows: a line feed whose sixth byte on
// is a comma starts a row, and the card number follows that comma (at most 16
// bytes, up to the next comma). Looks at no more than the first
// kCompareFileBufferSize bytes, and only for rows whose line feed and 16 card
// bytes fit in them. The scan goes on just past the comma; after a field of
// 16 bytes or more, one byte past the 16th, whatever that byte is. Stores the first 1000 entries found and
// returns how many were found in all; table.count becomes min(found, 1000).
std::size_t scanCompareFile(std::span<const std::uint8_t> bytes, CompareTable &table);

struct CompareFileLoad {
    bool loaded = false;
    std::string reason;    // why the file could not be read, when not loaded
    bool tooLarge = false; // longer than 65535 bytes: only the start was scanned
    std::size_t found = 0; // rows found, also beyond the table's 1000
};

// Reads at most the first kCompareFileBufferSize bytes of the file and scans
// them into the table (whose count is 0 when the file cannot be read). Only
// an existing regular file is read: a folder, a pipe, a device or a socket
// is refused at once, waiting for nobody (a pipe nobody writes to included)
// and reading nothing, with a reason that says what the name is.
CompareFileLoad loadCompareFile(const std::string &path, CompareTable &table);

} // namespace kestrix

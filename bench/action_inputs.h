// SPDX-License-Identifier: MIT
// What the list actions are measured on: a full reader's worth of records,
// half of them rereads of a card already read, and a comparison file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "kestlink.h"

namespace kestbench {

// As many rows as the reader's 16-bit count allows.
constexpr std::size_t kListRows = 65535;
// The most of a comparison file the program reads.
constexpr std::size_t kCompareFileBytes = 65536;

// Where the actions write and read, inside one scratch folder.
struct ScratchFiles {
    std::string folder;
    std::string exportPath() const { return folder + "/export.csv"; }
    std::string comparePath() const { return folder + "/compare.csv"; }
};

// Records 0 to count - 1: the first (count + 1) / 2 have distinct card
// numbers, the rest repeat them in the same order, so duplicate removal keeps
// half of them. Times move on 17 s per record, flags cycle 0 to 3.
std::vector<TagRecord> recordsWithRepeats(std::size_t count);

// Writes a comparison file in the export layout (header, then rows) of
// exactly `bytes` bytes, cut inside its last row. False when it cannot.
bool writeCompareFile(const std::string &path, std::size_t bytes);

} // namespace kestbench

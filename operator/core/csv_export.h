// Appending the record list to a CSV file: GBK bytes, lines ending in a line
// feed alone, the header only when the file is empty, no quoting.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "row_texts.h"

namespace kestrix {

// "序号,卡号,时间,标记 \n" in GBK.
extern const std::string_view kCsvHeader;

// "%s,%s,%s,%s\n" of the four texts.
std::string csvLine(const RowTexts &row);

struct SaveResult {
    bool saved = false;
    std::string reason; // why not, in the operator's words, when not saved
    // Not saved, yet some of this save's bytes may be in the file (the header
    // or some rows, or all of them unsynced); the reason says which.
    bool partlyWritten = false;
};

// Opens the file for writing without truncating it (creating it when
// missing), writes the header when it is empty, appends one line per row and
// syncs the bytes to the disk before reporting success.
SaveResult appendRowsToCsv(const std::string &path, const std::vector<RowTexts> &rows);

} // namespace kestrix

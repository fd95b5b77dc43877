// SPDX-License-Identifier: MIT
// Appending the record list to a CSV file: GBK bytes, lines ending in a line
// feed alone, the header only when the file is empty, no quoting.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "row_texts.h"
#include "system_file.h"

namespace kestrix {

// "序号,卡号,时间,标记 \n" in GBK.
extern const std::string_view kCsvHeader;

// "%s,%s,%s,%s\n" of the four texts.
std::string csvLine(const RowTexts &row);

struct SaveResult {
    bool saved = false;
    std::string reason; // why not, in the operator's words, when not saved
    // Not saved, and the file could not be put back as it was: some of this
    // save's bytes may be in it (the header or some rows, or all of them
    // unsynced); the reason says which.
    bool partlyWritten = false;
};

// Saves the rows onto the end of the named file, creating it when missing:
// the header when the file is empty, then one line per row, synced to the
// disk before success is reported. Only a regular file (or a new name) is
// written; a folder, a pipe, a device or a socket is refused at once,
// waiting for nobody, with nothing written.
//
// A save that fails once the file is open (a write, the sync, the close)
// leaves the file as it was: it is cut back to its length before this save
// and synced, or removed again when this save created it, and the reason
// ends in "文件未改动". Only when that too fails does the reason say what
// may now be in the file, and partlyWritten is set.
SaveResult appendRowsToCsv(const std::string &path, const std::vector<RowTexts> &rows);

// Opens the file as appendRowsToCsv does, refusing what is no regular file
// at once; null with the reason (naming the file) when it cannot be opened.
// The command-line tool opens its file so before a long download.
std::unique_ptr<OutputFile> openCsvFile(const std::string &path, std::string &reason);

// The same onto a file already opened by openOutputFile or openCsvFile; path names it in
// the reason. Closes the file, and removes it when it was created and the
// save failed.
SaveResult appendRowsToFile(const std::string &path, OutputFile &file, const std::vector<RowTexts> &rows);

} // namespace kestrix

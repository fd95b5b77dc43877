// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "kestsim/record.h"

namespace kestsim {

// "line 7: time "2024/13/01 00:00:00" is not a real date and time", with the
// file name in front when it came from a file.
class CsvError : public std::runtime_error {
public:
    CsvError(std::size_t line, const std::string &reason, const std::string &file = {});
    std::size_t line() const { return line_; }
    const std::string &reason() const { return reason_; }

private:
    std::size_t line_;
    std::string reason_;
};

// Reads the operator program's export: rows "00001,999 012345678901,
// 2024/05/06 07:08:09,1" (flag ' ' for none), lines ending "\n" or "\r\n".
// Lines whose first field is not five digits (the GBK header, blank lines)
// are skipped. A row that starts with five digits but is otherwise wrong is
// an error naming its line.
std::vector<Record> parseCsvRecords(std::string_view text);

// Throws CsvError for bad content and std::runtime_error when the file
// cannot be read.
std::vector<Record> loadCsvRecords(const std::filesystem::path &file);

} // namespace kestsim

// SPDX-License-Identifier: MIT
#include "kestsim/csv_records.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "calendar.h"
#include "kestsim/sample_records.h"

namespace kestsim {

CsvError::CsvError(std::size_t line, const std::string &reason, const std::string &file)
    : std::runtime_error((file.empty() ? "" : file + ", ") + "line " + std::to_string(line) + ": " + reason),
      line_(line), reason_(reason)
{
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool allDigits(std::string_view text)
{
    for (char c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const auto comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string_view::npos)
            return fields;
        start = comma + 1;
    }
}

int number(std::string_view digits)
{
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

// "2024/05/06 07:08:09"
RecordTime parseTime(std::string_view text, std::size_t line)
{
    constexpr std::string_view kShape = "dddd/dd/dd dd:dd:dd";
    bool shaped = text.size() == kShape.size();
    for (std::size_t i = 0; shaped && i < kShape.size(); ++i) {
        shaped = kShape[i] == 'd' ? isDigit(text[i]) : text[i] == kShape[i];
    }
    if (!shaped) {
        throw CsvError(line, "time \"" + std::string(text) + "\" is not YYYY/MM/DD hh:mm:ss");
    }
    RecordTime time{number(text.substr(0, 4)),  number(text.substr(5, 2)),  number(text.substr(8, 2)),
                    number(text.substr(11, 2)), number(text.substr(14, 2)), number(text.substr(17, 2))};
    if (!calendar::isValid(time)) {
        throw CsvError(line, "time \"" + std::string(text) + "\" is not a real date and time");
    }
    return time;
}

// ' ' (or nothing, if an editor trimmed the line) means no flag.
std::uint8_t parseFlag(std::string_view text, std::size_t line)
{
    if (text.empty() || text == " ")
        return 0;
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '0' + kMaxFlag) {
        return static_cast<std::uint8_t>(text[0] - '0');
    }
    throw CsvError(line, "flag \"" + std::string(text) + "\" is not blank or 0 to 3");
}

Record parseRow(std::string_view row, std::size_t line)
{
    const auto fields = splitFields(row);
    if (fields.size() != 4) {
        throw CsvError(line, "expected 4 fields (number,card,time,flag), found " + std::to_string(fields.size()));
    }
    if (fields[1].size() != kCardNumberSize) {
        throw CsvError(line, "card number \"" + std::string(fields[1]) + "\" is not 16 characters");
    }
    return makeRecord(fields[1], parseTime(fields[2], line), parseFlag(fields[3], line));
}

bool isRow(std::string_view line)
{
    const auto first = line.substr(0, line.find(','));
    return first.size() == 5 && allDigits(first);
}

} // namespace

std::vector<Record> parseCsvRecords(std::string_view text)
{
    std::vector<Record> records;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        auto line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!isRow(line))
            continue;
        if (records.size() == kMaxRecords) {
            throw CsvError(lineNumber, "more than 65535 records");
        }
        records.push_back(parseRow(line, lineNumber));
    }
    return records;
}

std::vector<Record> loadCsvRecords(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + file.string() + ": " + std::strerror(errno));
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        throw std::runtime_error("cannot read " + file.string());
    try {
        return parseCsvRecords(content.str());
    } catch (const CsvError &error) {
        throw CsvError(error.line(), error.reason(), file.string());
    }
}

} // namespace kestsim

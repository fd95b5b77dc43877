// SPDX-License-Identifier: MIT
#include "action_inputs.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "csv_export.h"
#include "row_texts.h"

namespace kestbench {

namespace {

template <std::size_t N> void putDigits(char (&field)[N], unsigned value)
{
    for (std::size_t k = N; k-- > 0;) {
        field[k] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

TagRecord recordNumber(std::size_t i, std::size_t card)
{
    TagRecord r{};
    char text[17];
    std::snprintf(text, sizeof text, "999 %012llu", 12345678901ULL + card);
    std::memcpy(r.cardNumber, text, sizeof r.cardNumber);
    // From 2024/01/01 08:00:00; 65,535 records at 17 s stay within January.
    const unsigned long seconds = 8UL * 3600 + 17UL * i;
    putDigits(r.year, 2024);
    putDigits(r.month, 1);
    putDigits(r.day, static_cast<unsigned>(1 + seconds / 86400));
    putDigits(r.hour, static_cast<unsigned>(seconds / 3600 % 24));
    putDigits(r.minute, static_cast<unsigned>(seconds / 60 % 60));
    putDigits(r.second, static_cast<unsigned>(seconds % 60));
    r.flag = static_cast<std::uint8_t>(i % 4);
    return r;
}

} // namespace

std::vector<TagRecord> recordsWithRepeats(std::size_t count)
{
    const std::size_t distinct = (count + 1) / 2;
    std::vector<TagRecord> records;
    records.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        records.push_back(recordNumber(i, i % distinct));
    return records;
}

bool writeCompareFile(const std::string &path, std::size_t bytes)
{
    // Enough rows of about 45 bytes, each card once, to pass the size,
    // written by the export itself, then cut to size.
    std::vector<kestrix::RowTexts> rows;
    for (std::size_t i = 0; i < bytes / 40 + 1; ++i)
        rows.push_back(kestrix::rowFromRecord(recordNumber(i, i), static_cast<std::int32_t>(i + 1)));
    ::unlink(path.c_str());
    if (!kestrix::appendRowsToCsv(path, rows).saved)
        return false;
    return ::truncate(path.c_str(), static_cast<off_t>(bytes)) == 0;
}

} // namespace kestbench

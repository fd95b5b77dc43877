// SPDX-License-Identifier: MIT
// Any 31 record bytes and any row number turned into the list's row texts and
// its CSV line. Input: the record, then the number as four bytes, low byte
// first; a shorter input is filled up with zero bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "csv_export.h"
#include "require.h"
#include "row_texts.h"

namespace {

bool allDigits(const std::string &text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool hasZeroByte(const std::string &text) { return text.find('\0') != std::string::npos; }

// The bytes of a field up to its first zero byte, as the list shows them.
std::string upToZero(const char *bytes, std::size_t n) { return std::string(bytes, std::find(bytes, bytes + n, '\0')); }

void checkSequence(const std::string &text, std::int32_t s)
{
    FUZZ_REQUIRE(text.size() == 5 && allDigits(text));
    const std::int64_t magnitude = s < 0 ? -static_cast<std::int64_t>(s) : s;
    FUZZ_REQUIRE(std::stoll(text) == magnitude % 100000);
}

void checkTime(const std::string &text, const TagRecord &r)
{
    FUZZ_REQUIRE(text.size() <= 19 && !hasZeroByte(text));
    // The full text, and the shown one is the part before a zero byte.
    const std::string full = std::string(r.year, 4) + '/' + std::string(r.month, 2) + '/' + std::string(r.day, 2) +
                             ' ' + std::string(r.hour, 2) + ':' + std::string(r.minute, 2) + ':' +
                             std::string(r.second, 2);
    FUZZ_REQUIRE(text == upToZero(full.data(), full.size()));
}

void checkFlag(const std::string &text, std::uint8_t flag)
{
    FUZZ_REQUIRE(text.size() <= 1);
    if (flag == 0)
        FUZZ_REQUIRE(text == " ");
    else if (flag == 0xD0) // '0' + 0xD0 wraps round to a zero byte: nothing shows
        FUZZ_REQUIRE(text.empty());
    else
        FUZZ_REQUIRE(text.size() == 1 && static_cast<std::uint8_t>(text[0]) == static_cast<std::uint8_t>('0' + flag));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::uint8_t input[sizeof(TagRecord) + 4] = {};
    std::memcpy(input, data, std::min(size, sizeof input));

    // The record alone on the heap, so that a read past its 31 bytes shows.
    const auto record = std::make_unique<TagRecord>();
    std::memcpy(record.get(), input, sizeof(TagRecord));
    const auto s = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(input[31]) | static_cast<std::uint32_t>(input[32]) << 8 |
        static_cast<std::uint32_t>(input[33]) << 16 | static_cast<std::uint32_t>(input[34]) << 24);

    const kestrix::RowTexts row = kestrix::rowFromRecord(*record, s);

    checkSequence(row.sequence, s);
    FUZZ_REQUIRE(row.cardNumber.size() <= 16 && !hasZeroByte(row.cardNumber));
    FUZZ_REQUIRE(row.cardNumber == upToZero(record->cardNumber, 16));
    checkTime(row.time, *record);
    checkFlag(row.flag, record->flag);
    FUZZ_REQUIRE(row.sequence == kestrix::sequenceText(s));

    const std::string line = kestrix::csvLine(row);
    FUZZ_REQUIRE(!line.empty() && line.back() == '\n');
    FUZZ_REQUIRE(std::count(line.begin(), line.end(), ',') >= 3);
    FUZZ_REQUIRE(line == row.sequence + ',' + row.cardNumber + ',' + row.time + ',' + row.flag + '\n');
    return 0;
}

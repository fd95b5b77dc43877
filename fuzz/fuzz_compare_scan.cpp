// SPDX-License-Identifier: MIT
// Any file contents, also longer than the 64 KiB that are read, scanned as a
// comparison file. The table must hold what the described scan finds, no
// more than 1000 entries, nothing past its count, and bytes beyond the first
// 64 KiB must change nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "compare_scan_model.h"
#include "compare_table.h"
#include "exact_buffer.h"
#include "require.h"

namespace {

using kestrix::CompareTable;
using kestrix::kCompareFileBufferSize;
using kestrix::kCompareTableCapacity;

constexpr unsigned char kUntouched = 0xA7;
constexpr std::int32_t kUnsetCount = -12345;

std::unique_ptr<CompareTable> freshTable()
{
    auto table = std::make_unique<CompareTable>();
    for (auto &entry : table->entries)
        std::memset(entry.cardNumber, kUntouched, sizeof entry.cardNumber);
    table->count = kUnsetCount;
    return table;
}

bool untouched(const CompareEntry &entry)
{
    return std::all_of(std::begin(entry.cardNumber), std::end(entry.cardNumber),
                       [](char c) { return static_cast<unsigned char>(c) == kUntouched; });
}

// Rows start at line feeds at least 8 bytes apart (line feed, five bytes,
// comma, and at least the one byte the scan steps past the field), and the
// last needs 23 bytes from its line feed inside the bytes looked at.
std::size_t mostRowsIn(std::size_t length) { return length < 23 ? 0 : (length - 23) / 8 + 1; }

std::size_t lineFeedsWhereRowsFit(std::span<const std::uint8_t> bytes, std::size_t length)
{
    return length < 23 ? 0 : static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + (length - 22), '\n'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const kestrix_fuzz::ExactBuffer file(data, size);
    const auto table = freshTable();
    const std::size_t found = kestrix::scanCompareFile(file.view(), *table);
    const std::size_t length = std::min(size, kCompareFileBufferSize);

    FUZZ_REQUIRE(table->count >= 0 && static_cast<std::size_t>(table->count) <= kCompareTableCapacity);
    const auto count = static_cast<std::size_t>(table->count);
    FUZZ_REQUIRE(count == std::min(found, kCompareTableCapacity));
    FUZZ_REQUIRE(found <= mostRowsIn(length));
    FUZZ_REQUIRE(found <= lineFeedsWhereRowsFit(file.view(), length));

    for (std::size_t i = count; i < kCompareTableCapacity; ++i)
        FUZZ_REQUIRE(untouched(table->entries[i]));

    const auto rows = kestrix_fuzz::modelCompareRows(file.view());
    FUZZ_REQUIRE(found == rows.size());
    for (std::size_t i = 0; i < count; ++i) {
        // The card bytes up to the comma, then zeros to 16.
        char expected[16] = {};
        std::memcpy(expected, file.data() + rows[i].fieldStart, rows[i].fieldLength);
        FUZZ_REQUIRE(std::memcmp(table->entries[i].cardNumber, expected, sizeof expected) == 0);
        FUZZ_REQUIRE(std::memchr(table->entries[i].cardNumber, ',', 16) == nullptr);
    }

    if (size > kCompareFileBufferSize) {
        // Only the first 64 KiB count: the scan of them alone, in a buffer
        // that ends there, gives the same table.
        const kestrix_fuzz::ExactBuffer head(data, kCompareFileBufferSize);
        const auto headTable = freshTable();
        FUZZ_REQUIRE(kestrix::scanCompareFile(head.view(), *headTable) == found);
        FUZZ_REQUIRE(headTable->count == table->count);
        FUZZ_REQUIRE(std::memcmp(headTable->entries.data(), table->entries.data(), sizeof table->entries) == 0);
    }
    return 0;
}

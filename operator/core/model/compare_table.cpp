// SPDX-License-Identifier: MIT
#include "compare_table.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "file_error_text.h"
#include "system_file.h"

namespace kestrix {

namespace {

constexpr std::size_t kCardOffset = 7; // line feed, five digits, comma
constexpr std::size_t kCardLength = sizeof(CompareEntry::cardNumber);
// A row is looked for only where its line feed, number, comma and a full
// card field fit: p + 22 must lie inside the bytes.
constexpr std::size_t kRowSpan = kCardOffset + kCardLength; // 23

} // namespace

std::size_t scanCompareFile(std::span<const std::uint8_t> bytes, CompareTable &table)
{
    const std::size_t length = std::min(bytes.size(), kCompareFileBufferSize);
    std::size_t found = 0;
    std::size_t p = 0;
    while (p + kRowSpan <= length) {
        if (bytes[p] != '\n' || bytes[p + 6] != ',') {
            ++p;
            continue;
        }
        // All 16 bytes after the comma lie inside the bytes (see kRowSpan).
        const std::uint8_t *field = bytes.data() + p + kCardOffset;
        std::size_t copied = 0;
        while (copied < kCardLength && field[copied] != ',')
            ++copied;
        if (found < kCompareTableCapacity) {
            CompareEntry &entry = table.entries[found];
            std::memset(entry.cardNumber, 0, kCardLength);
            std::memcpy(entry.cardNumber, field, copied);
        }
        ++found;
        // Past the comma that ended the field. A full 16-byte field passes
        // one byte more, which is the comma after a card of exactly 16
        // characters; after a longer field the scan goes on inside it.
        p += kCardOffset + copied + 1;
    }
    table.count = static_cast<std::int32_t>(std::min(found, kCompareTableCapacity));
    return found;
}

CompareFileLoad loadCompareFile(const std::string &path, CompareTable &table)
{
    table.count = 0;
    CompareFileLoad result;

    const FileOpening<InputFile> opening = openInputFile(path);
    if (!opening.file) {
        result.reason =
            cannotReadFileText(path, opening.error ? readErrorReason(opening.error) : fileKindReason(opening.kind));
        return result;
    }
    InputFile &file = *opening.file;
    std::uint64_t size = 0;
    if (const SystemError err = file.size(size)) {
        result.reason = cannotReadFileText(path, readErrorReason(err));
        return result;
    }
    // The warning starts one byte below the buffer's size: a file of exactly
    // 65536 bytes is read whole and still reported as too large.
    result.tooLarge = size > 65535;

    std::vector<std::uint8_t> buffer(kCompareFileBufferSize);
    std::size_t got = 0;
    while (got < buffer.size()) {
        std::size_t n = 0;
        if (const SystemError err = file.read(std::span(buffer).subspan(got), n)) {
            result.reason = cannotReadFileText(path, readErrorReason(err));
            return result;
        }
        if (n == 0)
            break;
        got += n;
    }

    result.found = scanCompareFile(std::span<const std::uint8_t>(buffer.data(), got), table);
    result.loaded = true;
    return result;
}

} // namespace kestrix

#include "compare_table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "file_error_text.h"

namespace kestrix {

namespace {

constexpr std::size_t kCardOffset = 7;  // line feed, five digits, comma
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

    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.reason = cannotReadFileText(path, errno);
        return result;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        result.reason = cannotReadFileText(path, errno);
        ::close(fd);
        return result;
    }
    // A folder opens for reading; say what it is rather than what read says.
    if (S_ISDIR(status.st_mode)) {
        result.reason = cannotReadFileText(path, EISDIR);
        ::close(fd);
        return result;
    }
    // The warning starts one byte below the buffer's size: a file of exactly
    // 65536 bytes is read whole and still reported as too large.
    result.tooLarge = status.st_size > 65535;

    std::vector<std::uint8_t> buffer(kCompareFileBufferSize);
    std::size_t got = 0;
    while (got < buffer.size()) {
        const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result.reason = cannotReadFileText(path, errno);
            ::close(fd);
            return result;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd); // read-only: nothing to lose when closing fails

    result.found = scanCompareFile(std::span<const std::uint8_t>(buffer.data(), got), table);
    result.loaded = true;
    return result;
}

} // namespace kestrix

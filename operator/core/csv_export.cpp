#include "csv_export.h"

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <unistd.h>

#include "file_error_text.h"

namespace kestrix {

const std::string_view kCsvHeader =
    "\xD0\xF2\xBA\xC5,\xBF\xA8\xBA\xC5,\xCA\xB1\xBC\xE4,\xB1\xEA\xBC\xC7 \n";

std::string csvLine(const RowTexts &row)
{
    std::string line;
    line.reserve(row.sequence.size() + row.cardNumber.size() + row.time.size() +
                 row.flag.size() + 4);
    line += row.sequence;
    line += ',';
    line += row.cardNumber;
    line += ',';
    line += row.time;
    line += ',';
    line += row.flag;
    line += '\n';
    return line;
}

namespace {

// Writes all of data, going on after short writes and interrupted calls.
// Returns 0 or the error number; written counts the bytes that got out.
int writeAll(int fd, const std::string &data, std::size_t &written)
{
    written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO; // a regular file never takes nothing; do not spin
        written += static_cast<std::size_t>(n);
    }
    return 0;
}

// What a failed write left in the file, so that the operator knows the file
// may now hold part of the list.
std::string writtenPartNote(const std::string &data, std::size_t written, bool withHeader,
                            std::size_t rowCount)
{
    if (written == 0)
        return "。本次没有写入任何内容。";
    std::size_t completeLines = 0;
    for (std::size_t i = 0; i < written; ++i)
        completeLines += data[i] == '\n';
    const bool endsInPartLine = data[written - 1] != '\n';

    std::string part;
    if (withHeader && completeLines == 0) {
        part = "部分表头";
    } else {
        const std::size_t completeRows = completeLines - (withHeader ? 1 : 0);
        std::vector<std::string> pieces;
        if (withHeader)
            pieces.push_back("表头");
        if (completeRows > 0)
            pieces.push_back("前 " + std::to_string(completeRows) + " 条记录");
        if (endsInPartLine)
            pieces.push_back("半行记录");
        for (std::size_t i = 0; i < pieces.size(); ++i)
            part += (i == 0 ? "" : (i + 1 == pieces.size() ? "和" : "、")) + pieces[i];
    }
    return "。文件中已写入" + part + "（共 " + std::to_string(rowCount) +
           " 条记录），列表没有完整保存。";
}

} // namespace

SaveResult appendRowsToCsv(const std::string &path, const std::vector<RowTexts> &rows)
{
    SaveResult result;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        result.reason = cannotWriteFileText(path, errno);
        return result;
    }

    // Rows are appended to what the file already holds; only an empty file
    // gets the header.
    const off_t length = ::lseek(fd, 0, SEEK_END);
    if (length < 0) {
        const int err = errno;
        ::close(fd);
        result.reason = cannotWriteFileText(path, err);
        return result;
    }

    const bool withHeader = length == 0;
    std::string data;
    if (withHeader)
        data += kCsvHeader;
    for (const RowTexts &row : rows)
        data += csvLine(row);

    std::size_t written = 0;
    if (const int err = writeAll(fd, data, written); err != 0) {
        ::close(fd);
        result.reason = cannotWriteFileText(path, err) +
                        writtenPartNote(data, written, withHeader, rows.size());
        result.partlyWritten = written > 0;
        return result;
    }

    // Success is reported only once the bytes are on the disk: a full disk or
    // a failing device often shows only here, or when closing.
    const char *unsyncedNote = "。所有内容已交给系统，但可能没有完整保存到磁盘，文件中可能只有部分记录。";
    if (::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        result.reason = cannotWriteFileText(path, err) + (data.empty() ? "" : unsyncedNote);
        result.partlyWritten = !data.empty();
        return result;
    }
    // close is not retried, even when interrupted: the descriptor is gone
    // either way on this system.
    if (::close(fd) != 0) {
        result.reason = cannotWriteFileText(path, errno) + (data.empty() ? "" : unsyncedNote);
        result.partlyWritten = !data.empty();
        return result;
    }
    result.saved = true;
    return result;
}

} // namespace kestrix

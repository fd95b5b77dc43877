// SPDX-License-Identifier: MIT
#include "csv_export.h"

#include <cstddef>
#include <cstdint>

#include "file_error_text.h"

namespace kestrix {

const std::string_view kCsvHeader = "\xD0\xF2\xBA\xC5,\xBF\xA8\xBA\xC5,\xCA\xB1\xBC\xE4,\xB1\xEA\xBC\xC7 \n";

std::string csvLine(const RowTexts &row)
{
    std::string line;
    line.reserve(row.sequence.size() + row.cardNumber.size() + row.time.size() + row.flag.size() + 4);
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

// The endings of a failed save's reason: the file is as it was, or, when it
// could not be put back, what may be in it now.
const char *const kUnchangedNote = "。文件未改动。";
const char *const kLeftEmptyNote = "。本次新建的文件未能删除，留下了一个空文件。";
const char *const kUnsyncedNote = "。所有内容已交给系统，但可能没有完整保存到磁盘，文件中可能只有部分记录。";
const char *const kUnsureNote = "。未能确认文件已恢复原样，文件中可能仍有本次写入的部分内容。";

// What a failed write left in a file that could not be cut back, so that
// the operator knows it may now hold part of the list. written > 0.
std::string writtenPartNote(const std::string &data, std::size_t written, bool withHeader, std::size_t rowCount)
{
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
    return "。文件中已写入" + part + "（共 " + std::to_string(rowCount) + " 条记录），列表没有完整保存。";
}

// Where a file stands once a failed save has been taken back.
enum class TakenBack {
    AsBefore,  // cut back and synced, or removed when the save made it
    LeftEmpty, // made by the save and emptied, but its name stayed
    NotCut,    // still holds what the save wrote
    NotSynced, // cut back, but the disk may not have it
};

// Takes this save's bytes out of the file again: cut back to the length it
// had before and synced, so that the next save does not go on from half a
// line; a file this save made is removed instead, and cut back only in case
// its name cannot be taken away. Closes the file.
TakenBack takeBack(OutputFile &file, std::uint64_t before, std::size_t written)
{
    bool cut = true;
    bool synced = true;
    if (written > 0) {
        cut = !file.truncate(before);
        synced = cut && !file.sync();
    }
    // Cut back and synced or not, closing changes neither; its fault adds
    // nothing to the operator's.
    static_cast<void>(file.close());
    if (file.created() && !file.remove())
        return TakenBack::AsBefore;
    if (!cut)
        return TakenBack::NotCut;
    if (!synced)
        return TakenBack::NotSynced;
    return file.created() ? TakenBack::LeftEmpty : TakenBack::AsBefore;
}

} // namespace

std::unique_ptr<OutputFile> openCsvFile(const std::string &path, std::string &reason)
{
    FileOpening<OutputFile> opening = openOutputFile(path);
    if (!opening.file)
        reason =
            cannotWriteFileText(path, opening.error ? writeErrorReason(opening.error) : fileKindReason(opening.kind));
    return std::move(opening.file);
}

SaveResult appendRowsToCsv(const std::string &path, const std::vector<RowTexts> &rows)
{
    SaveResult result;
    const std::unique_ptr<OutputFile> file = openCsvFile(path, result.reason);
    if (!file)
        return result;
    return appendRowsToFile(path, *file, rows);
}

SaveResult appendRowsToFile(const std::string &path, OutputFile &file, const std::vector<RowTexts> &rows)
{
    SaveResult result;
    std::uint64_t before = 0;
    bool withHeader = false;
    std::string data;
    std::size_t written = 0;
    bool allHandedOver = false; // every byte went to the system; the sync or the close failed

    SystemError err = file.seekToEnd(before);
    if (!err) {
        // Rows are appended to what the file already holds; only an empty
        // file gets the header.
        withHeader = before == 0;
        if (withHeader)
            data += kCsvHeader;
        for (const RowTexts &row : rows)
            data += csvLine(row);

        err = file.writeAll(data, written);
        // Success is reported only once the bytes are on the disk: a full
        // disk or a failing device often shows only here, or when closing.
        if (!err) {
            allHandedOver = true;
            err = file.sync();
        }
        if (!err)
            err = file.close();
        if (!err) {
            result.saved = true;
            return result;
        }
    }

    result.reason = cannotWriteFileText(path, writeErrorReason(err));
    switch (takeBack(file, before, written)) {
    case TakenBack::AsBefore: result.reason += kUnchangedNote; break;
    case TakenBack::LeftEmpty: result.reason += kLeftEmptyNote; break;
    case TakenBack::NotCut:
        result.reason += allHandedOver ? kUnsyncedNote : writtenPartNote(data, written, withHeader, rows.size());
        result.partlyWritten = true;
        break;
    case TakenBack::NotSynced:
        result.reason += kUnsureNote;
        result.partlyWritten = true;
        break;
    }
    return result;
}

} // namespace kestrix

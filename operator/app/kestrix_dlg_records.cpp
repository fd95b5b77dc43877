// Reading records into the list: the count, all records, one record, a range.
#include <QLineEdit>
#include <QTreeView>

#include "kestlink.h"
#include "kestrix_dlg.h"
#include "messages.h"
#include "progress.h"
#include "record_list_model.h"
#include "toolkit.h"

namespace kestrix {

namespace {
constexpr int kPauseBeforeDownloadMs = 50;
} // namespace

void CKestrixDlg::onQueryCount()
{
    std::uint16_t count = 0;
    if (!KX_QueryNumber(&count)) {
        say(text::kCountFailed);
        return;
    }
    recordCount_ = count;
    showFields(); // every edit is rewritten from the fields
}

bool CKestrixDlg::countToDownload(std::uint16_t &count)
{
    if (!KX_QueryNumber(&count)) {
        say(text::kCountFailedRead);
        return false;
    }
    if (count == 0) {
        say(text::kCountIsZero);
        return false;
    }
    return true;
}

void CKestrixDlg::onReadAll()
{
    std::uint16_t count = 0;
    if (!countToDownload(count))
        return;
    toolkit_.sleepMs(kPauseBeforeDownloadMs);

    for (std::uint32_t i = 0; i < count; ++i) {
        TagRecord record;
        if (!KX_ReadData(static_cast<std::uint16_t>(i), &record)) {
            say(text::kReadFailed);
            return;
        }
        // Read all numbers the rows by their place in the list.
        appendRecord(record, records_->rowCount() + 1);
        setProgress(progressPosition(i, count));
        keepWindowAlive();
    }
    setProgress(100);
}

void CKestrixDlg::onReadOne()
{
    fetchFields(); // a field that fails its check has said so; the checks below stop bad values
    const std::int32_t number = singleNumber_;
    if (number <= 0) {
        say(text::kNumberIsZero);
        return;
    }
    TagRecord record;
    if (!KX_ReadData(static_cast<std::uint16_t>(number - 1), &record)) {
        say(text::kReadOneFailed);
        return;
    }
    appendRecord(record, number);
}

void CKestrixDlg::onReadRange()
{
    std::uint16_t count = 0;
    if (!countToDownload(count))
        return;

    fetchFields();
    const std::int32_t first = rangeStart_;
    const std::int32_t last = rangeEnd_;
    if (last < first) {
        say(text::kRangeEndBeforeStart);
        return;
    }
    if (last > count) {
        say(text::kRangeEndPastCount);
        return;
    }
    if (first == 0 || last == 0) {
        say(text::kRangeHasZero);
        return;
    }
    if (first > kMaxRecordNumber || last > kMaxRecordNumber) {
        say(text::kRangeOver20000);
        return;
    }

    const auto howMany = static_cast<std::uint16_t>(last - first + 1);
    toolkit_.sleepMs(kPauseBeforeDownloadMs);
    for (std::uint32_t i = 0; i < howMany; ++i) {
        TagRecord record;
        if (!KX_ReadData(static_cast<std::uint16_t>(first + static_cast<std::int32_t>(i) - 1), &record)) {
            say(text::kReadFailed);
            return;
        }
        // Read range numbers the rows by their record number on the reader.
        appendRecord(record, first + static_cast<std::int32_t>(i));
        // The bar measures against the reader's whole count, not the range.
        setProgress(progressPosition(i, count));
        keepWindowAlive();
    }
    setProgress(100);
}

} // namespace kestrix

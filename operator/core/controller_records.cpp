// Reading records into the list: the count, all records, one record, a range.
#include "download.h"
#include "kestlink.h"
#include "messages.h"

namespace kestrix {

namespace {

// Record n of the reader as row s; a failed transaction gives no row.
DownloadItem readRecord(std::uint16_t n, std::int32_t s)
{
    TagRecord record;
    if (KX_ReadData(n, &record) != 1)
        return {};
    return {true, rowFromRecord(record, s)};
}

} // namespace

void KestrixController::askCount(std::function<void(bool counted, std::uint16_t count)> then)
{
    work([this, then = std::move(then)]() -> Step {
        std::uint16_t count = 0;
        const bool counted = KX_QueryNumber(&count) == 1;
        return [then, counted, count] { then(counted, count); };
    });
}

void KestrixController::queryCount()
{
    if (busy_)
        return;
    askCount([this](bool counted, std::uint16_t count) {
        if (!counted)
            return say(text::kCountFailed);
        fields_.recordCount = count;
        showFields(view_, fields_); // every edit is rewritten from the fields
    });
}

bool KestrixController::countAllows(bool counted, std::uint16_t count)
{
    if (!counted) {
        say(text::kCountFailedRead);
        return false;
    }
    if (count == 0) {
        say(text::kCountIsZero);
        return false;
    }
    return true;
}

void KestrixController::readAll()
{
    if (busy_)
        return;
    askCount([this](bool counted, std::uint16_t count) {
        if (!countAllows(counted, count))
            return;
        // Read all numbers the rows on from those already in the list.
        const auto first = static_cast<std::int32_t>(records_.size()) + 1;
        DownloadPlan d;
        d.count = d.barBase = count;
        d.pauseFirst = true;
        d.item = [first](std::size_t i) {
            return readRecord(static_cast<std::uint16_t>(i), first + static_cast<std::int32_t>(i));
        };
        d.failedText = text::kReadFailed;
        d.stoppedText = text::kReadStopped;
        runDownload(std::move(d));
    });
}

void KestrixController::readOne()
{
    if (busy_)
        return;
    fetch(); // a field that fails its check has said so; the check below stops bad values
    const std::int32_t number = fields_.singleNumber;
    if (number <= 0)
        return say(text::kNumberIsZero);
    work([this, number]() -> Step {
        const auto item = readRecord(static_cast<std::uint16_t>(number - 1), number);
        return [this, item] {
            if (!item.ok)
                return say(text::kReadOneFailed);
            appendRow(*item.row);
        };
    });
}

void KestrixController::readRange()
{
    if (busy_)
        return;
    askCount([this](bool counted, std::uint16_t count) {
        if (countAllows(counted, count))
            startRange(count);
    });
}

void KestrixController::startRange(std::uint16_t count)
{
    fetch();
    const std::int32_t first = fields_.rangeStart;
    const std::int32_t last = fields_.rangeEnd;
    if (last < first)
        return say(text::kRangeEndBeforeStart);
    if (last > count)
        return say(text::kRangeEndPastCount);
    if (first == 0 || last == 0)
        return say(text::kRangeHasZero);
    if (first > kMaxRecordNumber || last > kMaxRecordNumber)
        return say(text::kRangeOver20000);

    DownloadPlan d;
    d.count = static_cast<std::uint16_t>(last - first + 1);
    d.barBase = count; // the bar measures against the reader's whole count
    d.pauseFirst = true;
    // Read range numbers the rows by their record number on the reader.
    d.item = [first](std::size_t i) {
        const auto s = first + static_cast<std::int32_t>(i);
        return readRecord(static_cast<std::uint16_t>(s - 1), s);
    };
    d.failedText = text::kReadFailed;
    d.stoppedText = text::kReadStopped;
    runDownload(std::move(d));
}

} // namespace kestrix

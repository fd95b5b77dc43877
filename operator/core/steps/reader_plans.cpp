// SPDX-License-Identifier: MIT
#include "reader_plans.h"

#include "fields.h"
#include "messages.h"

namespace kestrix {

namespace {

// An item that failed, and whether the reader went away under it.
DownloadItem failedItem() { return {false, std::nullopt, KX_GetLinkState() == KX_LINK_LOST}; }

} // namespace

DownloadItem readRecordItem(std::uint16_t n, std::int32_t s)
{
    TagRecord record;
    if (KX_ReadData(n, &record) != 1)
        return failedItem();
    return {true, rowFromRecord(record, s)};
}

DownloadPlan readAllPlan(std::uint16_t count, std::int32_t firstSequence)
{
    DownloadPlan d;
    d.count = d.barBase = count;
    d.pauseFirst = true;
    d.item = [firstSequence](std::size_t i) {
        return readRecordItem(static_cast<std::uint16_t>(i), firstSequence + static_cast<std::int32_t>(i));
    };
    d.failedText = text::kReadFailed;
    d.stoppedText = text::kReadStopped;
    d.lostText = text::kReadLost;
    return d;
}

const char *rangeRefusal(std::int32_t first, std::int32_t last, std::uint16_t count)
{
    if (last < first)
        return text::kRangeEndBeforeStart;
    if (last > count)
        return text::kRangeEndPastCount;
    if (first == 0 || last == 0)
        return text::kRangeHasZero;
    if (first > kMaxRecordNumber || last > kMaxRecordNumber)
        return text::kRangeOver20000;
    return nullptr;
}

DownloadPlan readRangePlan(std::uint16_t count, std::int32_t first, std::int32_t last)
{
    DownloadPlan d;
    d.count = static_cast<std::uint16_t>(last - first + 1);
    d.barBase = count; // the bar measures against the reader's whole count
    d.pauseFirst = true;
    // A range numbers the rows by their record number on the reader.
    d.item = [first](std::size_t i) {
        const auto s = first + static_cast<std::int32_t>(i);
        return readRecordItem(static_cast<std::uint16_t>(s - 1), s);
    };
    d.failedText = text::kReadFailed;
    d.stoppedText = text::kReadStopped;
    d.lostText = text::kReadLost;
    return d;
}

DownloadPlan compareDownloadPlan(const CompareTable &table)
{
    DownloadPlan d;
    d.count = d.barBase = table.count > 0 ? static_cast<std::size_t>(table.count) : 0;
    d.item = [entries = &table.entries](std::size_t i) {
        if (KX_LoadCmpData(static_cast<std::uint16_t>(i), &(*entries)[i]) != 1)
            return failedItem();
        return DownloadItem{true, std::nullopt};
    };
    d.failedText = text::kCompareDownloadFailed;
    d.stoppedText = text::kCompareStopped;
    d.lostText = text::kCompareLost;
    d.doneText = text::kCompareDownloaded;
    return d;
}

DeviceTime deviceTimeFor(const LocalTime &now)
{
    return {
        0x20,
        static_cast<std::uint8_t>(now.year % 100),
        static_cast<std::uint8_t>(now.month),
        static_cast<std::uint8_t>(now.day),
        static_cast<std::uint8_t>(now.hour),
        static_cast<std::uint8_t>(now.minute),
        static_cast<std::uint8_t>(now.second),
    };
}

} // namespace kestrix

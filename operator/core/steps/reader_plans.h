// SPDX-License-Identifier: MIT
// The downloads the operator starts, as plans for the download loop, and
// the checks and blocks that go before them: shared by the dialog's steps
// and the command-line tool. The items talk to the reader through Kestlink.
#pragma once

#include <cstdint>

#include "compare_table.h"
#include "download.h"
#include "kestlink.h"
#include "toolkit.h"

namespace kestrix {

// Record n (0-based) of the reader as row s; a failed transaction gives no row.
DownloadItem readRecordItem(std::uint16_t n, std::int32_t s);

// All count records, numbered on from firstSequence.
DownloadPlan readAllPlan(std::uint16_t count, std::int32_t firstSequence);

// The message that refuses the range first to last (1-based) on a reader
// holding count records, checked in the dialog's order; null when it is good.
const char *rangeRefusal(std::int32_t first, std::int32_t last, std::uint16_t count);

// Records first to last, numbered by their record numbers; the range has
// passed rangeRefusal.
DownloadPlan readRangePlan(std::uint16_t count, std::int32_t first, std::int32_t last);

// The table's entries to the reader, in table order; the table outlives the plan.
DownloadPlan compareDownloadPlan(const CompareTable &table);

// The clock block for this local time: plain values, which the library
// sends as BCD.
DeviceTime deviceTimeFor(const LocalTime &now);

} // namespace kestrix

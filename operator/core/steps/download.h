// SPDX-License-Identifier: MIT
// One download, item by item: the records of read all and read range, the
// entries of the comparison list. The dialog runs it on its worker and shows
// each item as it comes; the command-line tool runs it in place. Either may
// stop it between items.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>

#include "row_texts.h"

namespace kestrix {

// What one item did: its transaction failed, or it gives this row (or none,
// for an entry sent to the reader).
struct DownloadItem {
    bool ok = false;
    std::optional<RowTexts> row;
    bool lost = false; // it failed because the reader went away (a cable pulled)
};

struct DownloadPlan {
    std::size_t count = 0;                           // items, 0 to count - 1
    std::size_t barBase = 0;                         // the count the bar measures against
    bool pauseFirst = false;                         // the reader is given 50 ms before the first item
    std::function<DownloadItem(std::size_t i)> item; // one transaction
    const char *failedText = nullptr;                // said when an item fails
    const char *stoppedText = nullptr;               // said when stopped; %1 is the items done
    const char *lostText = nullptr;                  // said when the reader went away; %1 likewise
    const char *doneText = nullptr;                  // said when all are done; none when null
};

constexpr int kPauseBeforeDownloadMs = 50;

enum class DownloadEnd { Done, Failed, Lost, Stopped };

struct DownloadOutcome {
    DownloadEnd end = DownloadEnd::Done;
    std::size_t itemsDone = 0; // items that succeeded
};

// The one loop of every download: the pause when the plan asks for it
// (through sleepMs), then item after item, each handed to `delivered` with
// its index, until one fails (Lost when it failed because the reader went
// away) or `stop` is set; stop is looked at before
// every item, so the item in hand always ends.
DownloadOutcome runDownloadLoop(const DownloadPlan &plan, const std::atomic<bool> &stop,
                                const std::function<void(int ms)> &sleepMs,
                                const std::function<void(std::size_t i, DownloadItem &&item)> &delivered);

// The text of plan.stoppedText with %1 replaced by the count.
std::string withCount(const char *format, std::size_t count);

} // namespace kestrix

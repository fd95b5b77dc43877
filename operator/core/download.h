// One download, item by item on the worker: the records of read all and read
// range, the entries of the comparison list. What each item brings and where
// the bar stands reach the list as they come; Esc stops it between items.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "kestrix_controller.h"

namespace kestrix {

// What one item did: its transaction failed, or it gives this row (or none,
// for an entry sent to the reader).
struct DownloadItem {
    bool ok = false;
    std::optional<RowTexts> row;
};

struct DownloadPlan {
    std::size_t count = 0;   // items, 0 to count - 1
    std::size_t barBase = 0; // the count the bar measures against
    bool pauseFirst = false; // the reader is given 50 ms before the first item
    std::function<DownloadItem(std::size_t i)> item; // runs on the worker
    const char *failedText = nullptr;  // said when an item fails
    const char *stoppedText = nullptr; // said when stopped; %1 is the items done
    const char *doneText = nullptr;    // said when all are done; none when null
};

} // namespace kestrix

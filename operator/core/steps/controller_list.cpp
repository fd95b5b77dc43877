// SPDX-License-Identifier: MIT
// Saving the list to a CSV file and removing duplicate card numbers.
#include "csv_export.h"
#include "duplicates.h"
#include "kestrix_controller.h"
#include "messages.h"

namespace kestrix {

void KestrixController::saveFile()
{
    if (busy_)
        return;
    FileDialogOptions options;
    options.filters = {"Microsoft Excel(*.csv)", "All Files(*.*)"};
    options.defaultSuffix = "csv";
    options.confirmOverwrite = true; // asked, yet the rows are still appended
    const auto path = toolkit_.saveFileName(options);
    if (!path)
        return;
    const SaveResult result = appendRowsToCsv(*path, records_.rows());
    if (!result.saved)
        return say(result.reason, MessageIcon::Warning);
    say(text::kFileSaved);
}

void KestrixController::removeDuplicates()
{
    if (busy_)
        return;
    records_.replaceAll(withoutDuplicateCards(records_.rows()));
    view_.rowsReset();
}

} // namespace kestrix

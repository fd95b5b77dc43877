// SPDX-License-Identifier: MIT
// The comparison list: loading it from a file, giving it to the reader and
// erasing the reader's copy.
#include "kestrix_controller.h"
#include "file_names.h"
#include "kestlink.h"
#include "messages.h"
#include "reader_plans.h"

namespace kestrix {

void KestrixController::openCompareFile()
{
    if (busy_)
        return;
    compareTable_.count = 0; // a cancelled dialog leaves the table empty
    FileDialogOptions options;
    options.filters = {"Compare Files(*.csv)", "All Files(*.*)"};
    const auto path = toolkit_.openFileName(options);
    if (!path)
        return;

    const CompareFileLoad load = loadCompareFile(*path, compareTable_);
    if (!load.loaded)
        return say(load.reason, MessageIcon::Warning);
    if (load.tooLarge)
        say(text::kCompareFileTooLarge);
    if (load.found > kCompareTableCapacity)
        say(text::kCompareOver1000);
    say(absoluteName(*path), MessageIcon::Information);
}

void KestrixController::downloadCompareList()
{
    if (busy_ || compareTable_.count <= 0)
        return;
    view_.setProgress(0);
    // The entries go as they are now; the table cannot change meanwhile, as
    // loading another file waits for the download to end.
    runDownload(compareDownloadPlan(compareTable_));
}

void KestrixController::deleteCompareList()
{
    if (busy_ || !toolkit_.askYesNo(text::kDeleteCompareQuestion))
        return;
    work([this]() -> Step {
        const bool erased = KX_DeleteCmpData() == 1;
        return [this, erased] { say(erased ? text::kDeleteCompareDone : text::kDeleteCompareFailed); };
    });
}

} // namespace kestrix

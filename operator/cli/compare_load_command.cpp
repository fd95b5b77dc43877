// SPDX-License-Identifier: MIT
// kestlink compare load: the card numbers of a CSV file, by the dialog's
// rules, given to the reader in file order.
#include "cli_commands.h"
#include "compare_table.h"
#include "download_run.h"
#include "exit_status.h"
#include "messages.h"
#include "reader_plans.h"

namespace kestlink_cli {

int runCompareLoad(const CommonOptions &common, const std::string &file)
{
    static kestrix::CompareTable table; // 16 KB: not on the stack
    const kestrix::CompareFileLoad load = kestrix::loadCompareFile(file, table);
    if (!load.loaded) {
        sayError("", load.reason);
        return kFileFailed;
    }
    if (load.tooLarge)
        sayError(file, kestrix::text::kCompareFileTooLarge);
    if (load.found > kestrix::kCompareTableCapacity)
        sayError(file, kestrix::text::kCompareOver1000);
    if (table.count == 0) {
        sayNote(common, file + ": no card numbers found, nothing sent");
        return kSuccess;
    }

    const auto session = connectReader(common);
    if (!session)
        return kReaderFailed;
    const kestrix::DownloadPlan plan = kestrix::compareDownloadPlan(table);
    const DownloadRun run = runDownload(plan, common, [](std::size_t, kestrix::DownloadItem &&) { return true; });
    switch (run.outcome.end) {
    case kestrix::DownloadEnd::Done:
        sayNote(common, std::string(plan.doneText) + " (" + std::to_string(plan.count) + ")");
        return kSuccess;
    case kestrix::DownloadEnd::Failed:
        sayError(session->where, std::string(plan.failedText) + " (entry " + std::to_string(run.outcome.itemsDone + 1) +
                                     " of " + std::to_string(plan.count) + ")");
        return kReaderFailed;
    case kestrix::DownloadEnd::Lost:
        // The dialog's second line tells of its button; the tool's reader
        // runs it again.
        sayError(session->where, firstLine(kestrix::withCount(plan.lostText, run.outcome.itemsDone)));
        return kReaderFailed;
    case kestrix::DownloadEnd::Stopped: break;
    }
    sayError(session->where, kestrix::withCount(plan.stoppedText, run.outcome.itemsDone));
    return 128 + run.signal;
}

} // namespace kestlink_cli

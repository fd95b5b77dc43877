// SPDX-License-Identifier: MIT
// kestlink read: the records of read all or read range, onto standard
// output and, with --csv, appended to a file as the dialog saves them.
#include <memory>
#include <optional>
#include <vector>

#include "cli_commands.h"
#include "csv_export.h"
#include "download_run.h"
#include "duplicates.h"
#include "exit_status.h"
#include "interrupt.h"
#include "kestlink.h"
#include "messages.h"
#include "reader_plans.h"
#include "row_sink.h"

namespace kestlink_cli {

namespace {

// What came of the reader, and the status it gives.
struct Download {
    std::vector<kestrix::RowTexts> rows;
    int status = kSuccess;
};

Download download(const Session &session, const CommonOptions &common, const ReadOptions &options, RowSink &sink)
{
    Download result;
    std::uint16_t count = 0;
    if (KX_QueryNumber(&count) != 1) {
        sayError(session.where, kestrix::text::kCountFailedRead);
        result.status = kReaderFailed;
        return result;
    }
    if (count == 0) {
        sayNote(common, kestrix::text::kCountIsZero);
        return result;
    }

    kestrix::DownloadPlan plan;
    if (options.first || options.last) {
        const std::int32_t first = options.first.value_or(1);
        const std::int32_t last = options.last.value_or(count);
        if (const char *refusal = kestrix::rangeRefusal(first, last, count)) {
            sayError(session.where, std::string(refusal) + " (" + std::to_string(count) + " records on the reader)");
            result.status = kWrongUsage;
            return result;
        }
        plan = kestrix::readRangePlan(count, first, last);
    } else {
        plan = kestrix::readAllPlan(count, 1);
    }

    // Without --dedup the rows go out as they come; with it, once all are in.
    const bool streamed = !options.dedup;
    const DownloadRun run = runDownload(plan, common, [&](std::size_t, kestrix::DownloadItem &&item) {
        result.rows.push_back(std::move(*item.row));
        return !streamed || sink.write(result.rows.back());
    });
    const std::size_t done = run.outcome.itemsDone;
    switch (run.outcome.end) {
    case kestrix::DownloadEnd::Done: break;
    case kestrix::DownloadEnd::Failed:
        sayError(session.where, std::string(plan.failedText) + " (record " + std::to_string(done + 1) + " of " +
                                    std::to_string(plan.count) + "; " + std::to_string(done) + " read)");
        result.status = kReaderFailed;
        break;
    case kestrix::DownloadEnd::Lost:
        sayError(session.where, firstLine(kestrix::withCount(plan.lostText, done)) + " (record " +
                                    std::to_string(done + 1) + " of " + std::to_string(plan.count) + ")");
        result.status = kReaderFailed;
        break;
    case kestrix::DownloadEnd::Stopped:
        if (sink.failed()) {
            result.status = kFileFailed;
        } else {
            sayError(session.where, kestrix::withCount(plan.stoppedText, done));
            result.status = 128 + run.signal;
        }
        break;
    }
    return result;
}

// The file --csv names, opened before the download, so that a name that
// cannot be written to is refused before the reader is asked for anything.
// Left as it was (a file this open made is removed) unless saved to.
class CsvTarget {
public:
    explicit CsvTarget(const std::string &path, std::string &reason) : file_(kestrix::openCsvFile(path, reason)) {}
    ~CsvTarget()
    {
        if (file_ && !file_->close() && file_->created())
            file_->remove();
    }
    CsvTarget(const CsvTarget &) = delete;
    CsvTarget &operator=(const CsvTarget &) = delete;

    explicit operator bool() const { return file_ != nullptr; }
    // Closes the file, and removes it when it was created and the save failed.
    kestrix::SaveResult save(const std::string &path, const std::vector<kestrix::RowTexts> &rows)
    {
        const kestrix::SaveResult result = kestrix::appendRowsToFile(path, *file_, rows);
        file_.reset();
        return result;
    }

private:
    std::unique_ptr<kestrix::OutputFile> file_;
};

} // namespace

int runRead(const CommonOptions &common, const ReadOptions &options)
{
    // From before the file is opened to after it is saved, Ctrl-C only asks
    // to stop: a file this run created is never left behind.
    StopOnInterrupt interrupt;
    std::optional<CsvTarget> csv;
    if (options.csv) {
        std::string reason;
        csv.emplace(*options.csv, reason);
        if (!*csv) {
            sayError("", reason);
            return kFileFailed;
        }
    }
    const auto session = connectReader(common);
    if (!session)
        return StopOnInterrupt::stop() ? 128 + StopOnInterrupt::signalNumber() : kReaderFailed;
    RowSink sink(options.json);
    Download got = download(*session, common, options, sink);
    if (got.status == kWrongUsage)
        return got.status;
    if (got.status == kSuccess && StopOnInterrupt::stop())
        got.status = 128 + StopOnInterrupt::signalNumber(); // before the download began
    if (options.dedup) {
        got.rows = kestrix::withoutDuplicateCards(got.rows);
        for (const auto &row : got.rows)
            if (!sink.write(row)) {
                got.status = kFileFailed;
                break;
            }
    }
    // What was read is kept also when the download stopped or failed midway.
    if (csv) {
        const kestrix::SaveResult saved = csv->save(*options.csv, got.rows);
        if (!saved.saved) {
            sayError("", saved.reason);
            return kFileFailed;
        }
        sayNote(common, std::string(kestrix::text::kFileSaved) + " (" + std::to_string(got.rows.size()) +
                            " rows appended to " + *options.csv + ")");
    }
    return got.status;
}

} // namespace kestlink_cli

// SPDX-License-Identifier: MIT
#include "action_benchmarks.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <unistd.h>

#include "action_names.h"
#include "list_actions.h"

namespace kestbench {

namespace {

const std::vector<TagRecord> &listRecords()
{
    static const auto records = recordsWithRepeats(kListRows);
    return records;
}

// A list holding every record, as after a download.
std::unique_ptr<ShownList> fullList()
{
    auto list = std::make_unique<ShownList>();
    appendRecords(*list, listRecords());
    return list;
}

void appendRows(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<ShownList>();
        state.ResumeTiming();
        appendRecords(*list, listRecords());
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
}

void removeDuplicateRows(benchmark::State &state)
{
    const auto full = fullList();
    ShownList list;
    for (auto _ : state) {
        state.PauseTiming();
        list.rows.replaceAll(full->rows.rows());
        list.model.reset();
        state.ResumeTiming();
        removeDuplicates(list);
    }
    if (list.model.rowCount() != static_cast<int>((kListRows + 1) / 2))
        state.SkipWithError("duplicate removal kept the wrong number of rows");
}

void exportCsv(benchmark::State &state, std::string path)
{
    const auto list = fullList();
    for (auto _ : state) {
        state.PauseTiming();
        ::unlink(path.c_str()); // a new file each time: header and every row
        state.ResumeTiming();
        if (!exportList(*list, path)) {
            state.SkipWithError("the export failed");
            break;
        }
    }
    ::unlink(path.c_str());
}

void loadComparisonFile(benchmark::State &state, std::string path)
{
    kestrix::CompareTable table; // the dialog's member: not part of the load
    for (auto _ : state) {
        if (!loadComparison(path, table)) {
            state.SkipWithError("the comparison file could not be read");
            break;
        }
        benchmark::DoNotOptimize(table);
    }
    if (table.count != static_cast<std::int32_t>(kestrix::kCompareTableCapacity))
        state.SkipWithError("the comparison file did not fill the table");
}

// Wall-clock time, since the export waits for the disk; the median of five
// repetitions, which a busy moment on a small machine moves less than a mean.
void configure(benchmark::internal::Benchmark *benchmark)
{
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
}

std::string nameOf(Action action) { return std::string(actionName(action)); }

} // namespace

void registerActionBenchmarks(const ScratchFiles &files)
{
    configure(benchmark::RegisterBenchmark(nameOf(Action::AppendRows).c_str(), appendRows));
    configure(benchmark::RegisterBenchmark(nameOf(Action::RemoveDuplicates).c_str(), removeDuplicateRows));
    configure(benchmark::RegisterBenchmark(nameOf(Action::ExportCsv).c_str(), exportCsv, files.exportPath()));
    configure(
        benchmark::RegisterBenchmark(nameOf(Action::LoadComparison).c_str(), loadComparisonFile, files.comparePath()));
}

} // namespace kestbench

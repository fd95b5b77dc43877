// SPDX-License-Identifier: MIT
#include "timing_capture.h"

#include <unistd.h>

namespace kestbench {

namespace {

double toMilliseconds(double value, benchmark::TimeUnit unit)
{
    switch (unit) {
    case benchmark::kNanosecond: return value / 1e6;
    case benchmark::kMicrosecond: return value / 1e3;
    case benchmark::kMillisecond: return value;
    case benchmark::kSecond: return value * 1e3;
    }
    return value;
}

} // namespace

TimingCapture::TimingCapture() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void TimingCapture::ReportRuns(const std::vector<Run> &runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
        if (run.error_occurred)
            continue;
        Times &times = times_[run.run_name.function_name];
        const double ms = toMilliseconds(run.GetAdjustedRealTime(), run.time_unit);
        if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
            times.median = ms;
        else if (run.run_type == Run::RT_Iteration)
            times.single = ms;
    }
}

double TimingCapture::milliseconds(const std::string &name) const
{
    const auto found = times_.find(name);
    if (found == times_.end())
        return -1;
    return found->second.median >= 0 ? found->second.median : found->second.single;
}

} // namespace kestbench

// SPDX-License-Identifier: MIT
// Google Benchmark's console output, with each benchmark's time also kept for
// the summary printed at the end.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace kestbench {

class TimingCapture : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal: a reporter of our own does not get
    // Google Benchmark's own choice, and the output is usually kept in a log.
    TimingCapture();
    void ReportRuns(const std::vector<Run> &runs) override;

    // Milliseconds of wall-clock time per iteration for the benchmark of this
    // name: the median of the repetitions when there were
    // several, else the one run's. Negative when it did not run.
    double milliseconds(const std::string &name) const;

private:
    struct Times {
        double median = -1;
        double single = -1;
    };
    std::map<std::string, Times> times_;
};

} // namespace kestbench

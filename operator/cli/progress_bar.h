// SPDX-License-Identifier: MIT
// The progress of a download on standard error, when that is a terminal:
// done/total, the rate and the time left, redrawn on one line.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace kestlink_cli {

// " 123/1000 [#####...............]  31.2/s  0:28 left", 0 s elapsed giving
// no rate and no time left yet.
std::string progressLine(std::size_t done, std::size_t total, double elapsedSeconds);

class ProgressBar {
public:
    // Draws only when shown (standard error is a terminal and not --quiet).
    ProgressBar(std::size_t total, bool shown);
    ~ProgressBar(); // ends the line
    ProgressBar(const ProgressBar &) = delete;
    ProgressBar &operator=(const ProgressBar &) = delete;

    void update(std::size_t done);

private:
    std::size_t total_;
    bool shown_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Whether a bar belongs on standard error.
bool progressWanted(bool quiet);

} // namespace kestlink_cli

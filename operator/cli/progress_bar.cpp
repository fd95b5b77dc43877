// SPDX-License-Identifier: MIT
#include "progress_bar.h"

#include <unistd.h>

#include <cstdio>

namespace kestlink_cli {

namespace {
constexpr std::size_t kBarWidth = 20;
}

std::string progressLine(std::size_t done, std::size_t total, double elapsedSeconds)
{
    const std::size_t filled = total == 0 ? kBarWidth : done * kBarWidth / total;
    char line[160];
    int used = std::snprintf(line, sizeof line, "%zu/%zu [%s%s]", done, total, std::string(filled, '#').c_str(),
                             std::string(kBarWidth - filled, '.').c_str());
    if (elapsedSeconds > 0 && done > 0) {
        const double rate = static_cast<double>(done) / elapsedSeconds;
        const auto left = static_cast<long>(static_cast<double>(total - done) / rate + 0.5);
        std::snprintf(line + used, sizeof line - static_cast<std::size_t>(used), " %6.1f/s %3ld:%02ld left", rate,
                      left / 60, left % 60);
    }
    return line;
}

bool progressWanted(bool quiet) { return !quiet && ::isatty(STDERR_FILENO) == 1; }

ProgressBar::ProgressBar(std::size_t total, bool shown) : total_(total), shown_(shown) {}

ProgressBar::~ProgressBar()
{
    if (drawn_)
        std::fputs("\n", stderr);
}

void ProgressBar::update(std::size_t done)
{
    if (!shown_)
        return;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    // \r back to the start of the line, \033[K to clear what was longer.
    std::fprintf(stderr, "\r%s\033[K", progressLine(done, total_, elapsed.count()).c_str());
    std::fflush(stderr);
    drawn_ = true;
}

} // namespace kestlink_cli

// SPDX-License-Identifier: MIT
#include "download_run.h"

#include <chrono>
#include <thread>

#include "interrupt.h"
#include "progress_bar.h"

namespace kestlink_cli {

DownloadRun runDownload(const kestrix::DownloadPlan &plan, const CommonOptions &common,
                        const std::function<bool(std::size_t i, kestrix::DownloadItem &&item)> &delivered)
{
    StopOnInterrupt interrupt;
    ProgressBar bar(plan.count, progressWanted(common.quiet));
    bar.update(0);
    DownloadRun run;
    run.outcome = kestrix::runDownloadLoop(
        plan, StopOnInterrupt::stop(), [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
        [&](std::size_t i, kestrix::DownloadItem &&item) {
            if (!delivered(i, std::move(item)))
                StopOnInterrupt::stop() = true;
            bar.update(i + 1);
        });
    run.signal = StopOnInterrupt::signalNumber();
    return run;
}

} // namespace kestlink_cli

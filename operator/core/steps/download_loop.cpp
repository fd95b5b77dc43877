// SPDX-License-Identifier: MIT
// The one loop of every download.
#include <string>

#include "download.h"

namespace kestrix {

DownloadOutcome runDownloadLoop(const DownloadPlan &plan, const std::atomic<bool> &stop,
                                const std::function<void(int ms)> &sleepMs,
                                const std::function<void(std::size_t i, DownloadItem &&item)> &delivered)
{
    if (plan.pauseFirst)
        sleepMs(kPauseBeforeDownloadMs);
    for (std::size_t i = 0; i < plan.count; ++i) {
        if (stop)
            return {DownloadEnd::Stopped, i};
        DownloadItem item = plan.item(i);
        if (!item.ok)
            return {item.lost ? DownloadEnd::Lost : DownloadEnd::Failed, i};
        delivered(i, std::move(item));
    }
    return {DownloadEnd::Done, plan.count};
}

std::string withCount(const char *format, std::size_t count)
{
    std::string text = format;
    if (const auto at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, std::to_string(count));
    return text;
}

} // namespace kestrix

// The one loop of every download.
#include <string>

#include "download.h"
#include "messages.h"
#include "progress.h"

namespace kestrix {

namespace {
constexpr int kPauseBeforeDownloadMs = 50;

std::string withCount(const char *format, std::size_t count)
{
    std::string text = format;
    if (const auto at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, std::to_string(count));
    return text;
}
} // namespace

void KestrixController::runDownload(DownloadPlan download)
{
    if (!worker_)
        return;
    beginWork();
    downloading_ = true;
    stopRequested_ = false;
    worker_->run([this, d = std::move(download)] {
        if (d.pauseFirst)
            toolkit_.sleepMs(kPauseBeforeDownloadMs);
        const auto end = [this](Step last) {
            post([this, last = std::move(last)] {
                downloading_ = false;
                finish(last);
            });
        };
        for (std::size_t i = 0; i < d.count; ++i) {
            if (stopRequested_)
                return end([this, i, text = d.stoppedText] { say(withCount(text, i)); });
            DownloadItem item = d.item(i);
            if (!item.ok)
                return end([this, text = d.failedText] { say(text); });
            post([this, row = std::move(item.row), position = progressPosition(i, d.barBase)]() mutable {
                if (row)
                    appendRow(std::move(*row));
                view_.setProgress(position);
            });
        }
        end([this, text = d.doneText] {
            view_.setProgress(100);
            if (text)
                say(text);
        });
    });
}

} // namespace kestrix

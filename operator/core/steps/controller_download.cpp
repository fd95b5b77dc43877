// SPDX-License-Identifier: MIT
// Every download of the dialog: the shared loop, on the worker, its items
// and the bar reaching the list as they come.
#include "download.h"
#include "kestrix_controller.h"
#include "progress.h"

namespace kestrix {

void KestrixController::runDownload(DownloadPlan download)
{
    if (!worker_)
        return;
    beginWork();
    downloading_ = true;
    stopRequested_ = false;
    worker_->run([this, d = std::move(download)] {
        const DownloadOutcome outcome = runDownloadLoop(
            d, stopRequested_, [this](int ms) { toolkit_.sleepMs(ms); },
            [this, &d](std::size_t i, DownloadItem &&item) {
                post([this, row = std::move(item.row), position = progressPosition(i, d.barBase)]() mutable {
                    if (row)
                        appendRow(std::move(*row));
                    view_.setProgress(position);
                });
            });
        Step last;
        switch (outcome.end) {
        case DownloadEnd::Stopped:
            last = [this, text = withCount(d.stoppedText, outcome.itemsDone)] { say(text); };
            break;
        case DownloadEnd::Failed: last = [this, text = d.failedText] { say(text); }; break;
        case DownloadEnd::Lost: last = [this, text = withCount(d.lostText, outcome.itemsDone)] { say(text); }; break;
        case DownloadEnd::Done:
            last = [this, text = d.doneText] {
                view_.setProgress(100);
                if (text)
                    say(text);
            };
            break;
        }
        post([this, last = std::move(last)] {
            downloading_ = false;
            finish(last);
        });
    });
}

} // namespace kestrix

// SPDX-License-Identifier: MIT
// A download on the command line: the shared download loop in place, a
// progress bar on a terminal, Ctrl-C stopping it after the item in hand.
#pragma once

#include <cstddef>
#include <functional>

#include "download.h"
#include "session.h"

namespace kestlink_cli {

struct DownloadRun {
    kestrix::DownloadOutcome outcome;
    int signal = 0; // the signal that stopped it, 0 for none
};

// `delivered` gets every item that succeeded; returning false stops the
// download there (as a Ctrl-C would, but without a signal).
DownloadRun runDownload(const kestrix::DownloadPlan &plan, const CommonOptions &common,
                        const std::function<bool(std::size_t i, kestrix::DownloadItem &&item)> &delivered);

} // namespace kestlink_cli

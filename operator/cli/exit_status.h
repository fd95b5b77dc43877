// SPDX-License-Identifier: MIT
// What the tool's exit status says.
#pragma once

namespace kestlink_cli {

enum ExitStatus : int {
    kSuccess = 0,
    kReaderFailed = 1, // the reader failed, or none was found
    kWrongUsage = 2,
    kFileFailed = 3,    // a file could not be read or written
    kInterrupted = 130, // Ctrl-C during a download
};

} // namespace kestlink_cli

// SPDX-License-Identifier: MIT
#include "row_sink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "row_output.h"
#include "session.h"

namespace kestlink_cli {

bool RowSink::write(const kestrix::RowTexts &row)
{
    if (failed_)
        return false;
    const std::string line = json_ ? jsonLine(row) : textLine(row);
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() || std::fflush(stdout) != 0) {
        sayError("standard output", std::strerror(errno != 0 ? errno : EIO));
        failed_ = true;
    }
    return !failed_;
}

} // namespace kestlink_cli

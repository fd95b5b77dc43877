// SPDX-License-Identifier: MIT
// kestlink count: the reader's record count.
#include <cstdio>

#include "cli_commands.h"
#include "exit_status.h"
#include "kestlink.h"
#include "messages.h"

namespace kestlink_cli {

int runCount(const CommonOptions &common)
{
    const auto session = connectReader(common);
    if (!session)
        return kReaderFailed;
    std::uint16_t count = 0;
    if (KX_QueryNumber(&count) != 1) {
        sayError(session->where, kestrix::text::kCountFailed);
        return kReaderFailed;
    }
    std::printf("%u\n", static_cast<unsigned>(count));
    return std::fflush(stdout) == 0 ? kSuccess : kFileFailed;
}

} // namespace kestlink_cli

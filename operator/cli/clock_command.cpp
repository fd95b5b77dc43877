// SPDX-License-Identifier: MIT
// kestlink set-clock: the reader's clock to the PC's local time, or to the
// time given.
#include "clock_text.h"
#include "cli_commands.h"
#include "exit_status.h"
#include "kestlink.h"
#include "messages.h"
#include "reader_plans.h"

namespace kestlink_cli {

int runSetClock(const CommonOptions &common, const std::optional<std::string> &time)
{
    kestrix::LocalTime when;
    if (time) {
        const auto parsed = parseClockText(*time);
        if (!parsed) {
            sayError("--time", "\"" + *time + "\" is not a date and time YYYY-MM-DD HH:MM:SS of 2000 to 2099");
            return kWrongUsage;
        }
        when = *parsed;
    }
    const auto session = connectReader(common);
    if (!session)
        return kReaderFailed;
    if (!time)
        when = localTimeNow(); // taken once connected, as close to the setting as can be
    const DeviceTime clock = kestrix::deviceTimeFor(when);
    if (KX_SetTime(&clock) != 1) {
        sayError(session->where, kestrix::text::kSetTimeFailed);
        return kReaderFailed;
    }
    return kSuccess;
}

} // namespace kestlink_cli

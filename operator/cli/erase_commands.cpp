// SPDX-License-Identifier: MIT
// kestlink erase and kestlink compare erase: asked first, as the dialog does.
#include <unistd.h>

#include <cstdio>

#include "cli_commands.h"
#include "confirm.h"
#include "exit_status.h"
#include "kestlink.h"
#include "messages.h"

namespace kestlink_cli {

namespace {

int erase(const CommonOptions &common, bool yes, const char *question, std::int32_t (*command)(), const char *done,
          const char *failed)
{
    switch (askConsent(question, yes)) {
    case Consent::Given: break;
    case Consent::Declined: sayNote(common, "nothing erased"); return kSuccess;
    case Consent::Refused:
        sayError("", "standard input is not a terminal: give --yes to erase without asking");
        return kWrongUsage;
    }
    const auto session = connectReader(common);
    if (!session)
        return kReaderFailed;
    const bool erased = command() == 1;
    if (!erased) {
        sayError(session->where, failed);
    } else {
        sayNote(common, done);
    }
    // The dialog beeps either way; a terminal rings its bell.
    if (!common.quiet && ::isatty(STDERR_FILENO) == 1)
        std::fputs("\a", stderr);
    return erased ? kSuccess : kReaderFailed;
}

std::int32_t deleteAll() { return KX_DeleteAllData(); }
std::int32_t deleteCompare() { return KX_DeleteCmpData(); }

} // namespace

int runErase(const CommonOptions &common, bool yes)
{
    return erase(common, yes, kestrix::text::kDeleteAllQuestion, deleteAll, kestrix::text::kDeleteAllDone,
                 kestrix::text::kDeleteAllFailed);
}

int runCompareErase(const CommonOptions &common, bool yes)
{
    return erase(common, yes, kestrix::text::kDeleteCompareQuestion, deleteCompare, kestrix::text::kDeleteCompareDone,
                 kestrix::text::kDeleteCompareFailed);
}

} // namespace kestlink_cli

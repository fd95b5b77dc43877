// SPDX-License-Identifier: MIT
// The reader's clock, erasing its records, and clearing the list.
#include "kestlink.h"
#include "kestrix_controller.h"
#include "messages.h"
#include "reader_plans.h"

namespace kestrix {

namespace {
constexpr int kBeepHz = 1000;
constexpr int kBeepMs = 500;
} // namespace

void KestrixController::setTime()
{
    if (busy_)
        return;
    const LocalTime now = toolkit_.localTime();
    const DeviceTime clock = deviceTimeFor(now);
    work([this, clock]() -> Step {
        const bool set = KX_SetTime(&clock) == 1;
        return [this, set] {
            if (!set)
                say(text::kSetTimeFailed);
        };
    });
}

void KestrixController::deleteAll()
{
    if (busy_ || !toolkit_.askYesNo(text::kDeleteAllQuestion))
        return;
    work([this]() -> Step {
        const bool erased = KX_DeleteAllData() == 1;
        return [this, erased] {
            say(erased ? text::kDeleteAllDone : text::kDeleteAllFailed);
            // Heard whether or not the reader confirmed.
            toolkit_.beep(kBeepHz, kBeepMs);
        };
    });
}

void KestrixController::clearList()
{
    if (busy_)
        return;
    records_.clear();
    view_.rowsReset();
}

} // namespace kestrix

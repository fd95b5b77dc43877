// The reader's clock, erasing its records, and clearing the list.
#include "kestlink.h"
#include "kestrix_dlg.h"
#include "messages.h"
#include "record_list_model.h"
#include "toolkit.h"

namespace kestrix {

namespace {
constexpr int kBeepHz = 1000;
constexpr int kBeepMs = 500;
} // namespace

void CKestrixDlg::onSetTime()
{
    const QDateTime now = toolkit_.localTime();
    const QDate date = now.date();
    const QTime time = now.time();
    // Plain values; the library sends them as BCD.
    const DeviceTime clock = {
        0x20,
        static_cast<std::uint8_t>(date.year() % 100),
        static_cast<std::uint8_t>(date.month()),
        static_cast<std::uint8_t>(date.day()),
        static_cast<std::uint8_t>(time.hour()),
        static_cast<std::uint8_t>(time.minute()),
        static_cast<std::uint8_t>(time.second()),
    };
    if (!KX_SetTime(&clock))
        say(text::kSetTimeFailed);
}

void CKestrixDlg::onDeleteAll()
{
    if (!toolkit_.askYesNo(this, QString::fromUtf8(text::kDeleteAllQuestion)))
        return;
    say(KX_DeleteAllData() ? text::kDeleteAllDone : text::kDeleteAllFailed);
    // Heard whether or not the reader confirmed.
    toolkit_.beep(kBeepHz, kBeepMs);
}

void CKestrixDlg::onClearList() { records_->clear(); }

} // namespace kestrix

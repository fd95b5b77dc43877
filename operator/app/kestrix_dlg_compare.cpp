// The comparison list: loading it from a file, giving it to the reader and
// erasing the reader's copy.
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>

#include "kestlink.h"
#include "kestrix_dlg.h"
#include "messages.h"
#include "progress.h"
#include "toolkit.h"

namespace kestrix {

void CKestrixDlg::onOpenCompareFile()
{
    compareTable_.count = 0; // a cancelled dialog leaves the table empty
    FileDialogOptions options;
    options.filters = {QStringLiteral("Compare Files(*.csv)"), QStringLiteral("All Files(*.*)")};
    const auto path = toolkit_.openFileName(this, options);
    if (!path)
        return;

    const CompareFileLoad load = loadCompareFile(QFile::encodeName(*path).toStdString(), compareTable_);
    if (!load.loaded) {
        toolkit_.message(this, QString::fromStdString(load.reason), MessageIcon::Warning);
        return;
    }
    if (load.tooLarge)
        say(text::kCompareFileTooLarge);
    if (load.found > kCompareTableCapacity)
        say(text::kCompareOver1000);
    toolkit_.message(this, QFileInfo(*path).absoluteFilePath(), MessageIcon::Information);
}

void CKestrixDlg::onDownloadCompareList()
{
    const std::int32_t count = compareTable_.count;
    if (count <= 0)
        return;
    setProgress(0);
    for (std::int32_t i = 0; i < count; ++i) {
        if (!KX_LoadCmpData(static_cast<std::uint16_t>(i), &compareTable_.entries[static_cast<std::size_t>(i)])) {
            say(text::kCompareDownloadFailed);
            return;
        }
        setProgress(progressPosition(static_cast<std::size_t>(i), static_cast<std::size_t>(count)));
        keepWindowAlive();
    }
    setProgress(100);
    say(text::kCompareDownloaded);
}

void CKestrixDlg::onDeleteCompareList()
{
    if (!toolkit_.askYesNo(this, QString::fromUtf8(text::kDeleteCompareQuestion)))
        return;
    say(KX_DeleteCmpData() ? text::kDeleteCompareDone : text::kDeleteCompareFailed);
}

} // namespace kestrix

// Saving the list to a CSV file and removing duplicate card numbers.
#include <QFile>
#include <QTreeView>

#include "csv_export.h"
#include "duplicates.h"
#include "kestrix_dlg.h"
#include "messages.h"
#include "record_list_model.h"
#include "toolkit.h"

namespace kestrix {

void CKestrixDlg::onSaveFile()
{
    FileDialogOptions options;
    options.filters = {QStringLiteral("Microsoft Excel(*.csv)"), QStringLiteral("All Files(*.*)")};
    options.defaultSuffix = QStringLiteral("csv");
    options.confirmOverwrite = true; // asked, yet the rows are still appended
    const auto path = toolkit_.saveFileName(this, options);
    if (!path)
        return;

    const SaveResult result = appendRowsToCsv(QFile::encodeName(*path).toStdString(), records_->rows());
    if (!result.saved) {
        toolkit_.message(this, QString::fromStdString(result.reason), MessageIcon::Warning);
        return;
    }
    say(text::kFileSaved);
}

void CKestrixDlg::onRemoveDuplicates()
{
    records_->replaceAll(withoutDuplicateCards(records_->rows()));
    listView_->viewport()->update();
}

} // namespace kestrix

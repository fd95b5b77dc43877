// The operator's one dialog: every button is one action on the reader or on
// the list of downloaded records.
#pragma once

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <cstdint>
#include <optional>
#include <utility>

#include "compare_table.h"
#include "row_texts.h"

class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeView;

namespace kestrix {

class RecordListModel;
class Toolkit;

class CKestrixDlg : public QDialog {
    Q_OBJECT
public:
    explicit CKestrixDlg(Toolkit &toolkit, QWidget *parent = nullptr);
    ~CKestrixDlg() override;

    // The control with that identifier (the first label for IDC_STATIC).
    QWidget *control(int id) const;
    QPushButton *button(int id) const;
    QLineEdit *edit(int id) const;
    RecordListModel &recordList() const { return *records_; }
    QTreeView *recordListView() const { return listView_; }
    QProgressBar *progressBar() const { return progress_; }
    CompareTable &compareTable() const { return compareTable_; }

    // Field exchange: fetch copies the controls into the fields, checking
    // each; it stops at the first field that fails, which gets the focus.
    // Show copies the fields into the controls.
    bool fetchFields();
    void showFields();

    // The fields, as the last fetch or the handlers left them.
    std::int32_t recordCountField() const { return recordCount_; }
    std::int32_t singleNumberField() const { return singleNumber_; }
    std::int32_t rangeStartField() const { return rangeStart_; }
    std::int32_t rangeEndField() const { return rangeEnd_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    static constexpr int kMaxRecordNumber = 20000; // the most the number boxes take

    void createControls();
    void setUpRecordList();
    void route(int id);

    // Connection.
    void onOK();
    void onConnect();
    void onDisconnect();
    // Reading records into the list.
    void onQueryCount();
    void onReadAll();
    void onReadOne();
    void onReadRange();
    // Reader maintenance and the list.
    void onSetTime();
    void onDeleteAll();
    void onClearList();
    void onSaveFile();
    void onRemoveDuplicates();
    // Comparison list.
    void onOpenCompareFile();
    void onDownloadCompareList();
    void onDeleteCompareList();
    void onKeyButton() {} // the key controls stay hidden and do nothing

    // The reader's count before a download; false, having said why, when
    // there is nothing to download.
    bool countToDownload(std::uint16_t &count);
    void say(const char *text);
    void appendRecord(const TagRecord &record, std::int32_t sequence);
    void setProgress(int position);
    // Paints and answers the desktop between two rows; clicks wait.
    void keepWindowAlive();
    bool fetchInteger(int id, std::int32_t &field, std::optional<std::pair<int, int>> range);
    bool fetchText(int id, QString &field, int maxLength);

    Toolkit &toolkit_;
    QHash<int, QWidget *> controls_;
    RecordListModel *records_ = nullptr;
    QTreeView *listView_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QIcon icon_;
    CompareTable &compareTable_;

    std::int32_t recordCount_ = 0;
    std::int32_t singleNumber_ = 1;
    QString keyText_;
    QString keyReadBack_;
    std::int32_t rangeStart_ = 0;
    std::int32_t rangeEnd_ = 0;
};

} // namespace kestrix

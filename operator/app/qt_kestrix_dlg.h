// SPDX-License-Identifier: MIT
// The operator's one dialog on Qt: the controls of its template, each button
// routed to the operator's step of the same name (KestrixController), and
// the view those steps work through.
#pragma once

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QPointer>
#include <memory>

#include "compare_table.h"
#include "kestrix_controller.h"
#include "view.h"

class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace kestrix {

class RecordListModel;
class QtToolkit;

class CKestrixDlg : public QDialog, public View {
    Q_OBJECT
public:
    explicit CKestrixDlg(Toolkit &toolkit, QWidget *parent = nullptr);
    ~CKestrixDlg() override;

    // The control with that identifier (the first label for IDC_STATIC).
    QWidget *control(int id) const;
    QPushButton *button(int id) const;
    QLineEdit *edit(int id) const;
    RecordListModel &recordList() const { return *records_; }
    QTableView *recordListView() const { return listView_; }
    QProgressBar *progressBar() const { return progress_; }
    KestrixController &controller() const { return *controller_; }
    CompareTable &compareTable() const { return controller_->compareTable(); }

    // View.
    std::string fieldText(Field field) const override;
    void setFieldText(Field field, const std::string &text) override;
    void selectField(Field field) override;
    void rowsAppended(std::size_t first, std::size_t count) override;
    void rowsReset() override;
    void setProgress(int position) override;
    void setBusy(bool busy) override;
    void closeDialog() override;

    // Esc: a download stops; otherwise the dialog closes.
    void reject() override;

protected:
    void paintEvent(QPaintEvent *event) override;
    // The close box: as Esc.
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void setUpRecordList();
    void route(int id);
    QLineEdit *editOf(Field field) const;

    QHash<int, QWidget *> controls_;
    RecordListModel *records_ = nullptr;
    QTableView *listView_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QIcon icon_;
    bool closing_ = false; // the steps closed the dialog: let it go
    QPointer<QWidget> focusBeforeBusy_;
    std::unique_ptr<KestrixController> controller_;
};

} // namespace kestrix

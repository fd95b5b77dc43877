// SPDX-License-Identifier: MIT
// The dialog's construction and layout, its routing of each button to the
// operator's step, and the view those steps work through.
#include "qt_kestrix_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTableView>

#include "app_icon.h"
#include "dialog_template.h"
#include "record_list_model.h"

namespace kestrix {

namespace {

// The program's comparison list lives as long as the program.
CompareTable &theCompareTable()
{
    static CompareTable table;
    return table;
}

} // namespace

CKestrixDlg::CKestrixDlg(Toolkit &toolkit, QWidget *parent) : QDialog(parent), icon_(kestrixIcon())
{
    const auto &layout = mainDialogTemplate();
    setWindowTitle(QString::fromUtf8(layout.title));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(dialogFont());
    setFixedSize(DialogUnits(font()).toPixels(layout.width, layout.height));
    setWindowIcon(icon_);

    createControls();
    progress_->setRange(0, 100);
    progress_->setValue(0);
    controller_ = std::make_unique<KestrixController>(*this, toolkit, theCompareTable());
    setUpRecordList();

    // The first control in template order has the focus: "关闭软件".
    button(IDOK)->setFocus(Qt::OtherFocusReason);
}

// The steps go first: they wait for the reader's transaction in hand, which
// may still want to show its outcome in this dialog.
CKestrixDlg::~CKestrixDlg() { controller_.reset(); }

void CKestrixDlg::createControls()
{
    const DialogUnits units(font());
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(16);
    QWidget *previous = nullptr;

    for (const ControlTemplate &t : mainDialogTemplate().controls) {
        const QString caption = QString::fromUtf8(t.caption);
        QWidget *widget = nullptr;
        switch (t.kind) {
        case ControlKind::Button: {
            auto *b = new QPushButton(caption, this);
            b->setDefault(t.flags & DefaultButton);
            connect(b, &QPushButton::clicked, this, [this, id = t.id] { route(id); });
            widget = b;
            break;
        }
        case ControlKind::Edit: {
            auto *e = new QLineEdit(this);
            e->setReadOnly(t.flags & ReadOnly);
            if (t.flags & Centred)
                e->setAlignment(Qt::AlignCenter);
            widget = e;
            break;
        }
        case ControlKind::ListView: widget = listView_ = new QTableView(this); break;
        case ControlKind::ProgressBar:
            widget = progress_ = new QProgressBar(this);
            progress_->setTextVisible(false);
            break;
        case ControlKind::Label: widget = new QLabel(caption, this); break;
        }
        widget->setGeometry(units.toPixels(t.units));
        widget->setAccessibleName(t.accessibleName ? QString::fromUtf8(t.accessibleName) : caption);
        if (t.flags & ArialFont16)
            widget->setFont(arial);
        if (t.flags & Hidden)
            widget->hide();
        if (!controls_.contains(t.id))
            controls_.insert(t.id, widget);
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previous)
                QWidget::setTabOrder(previous, widget);
            previous = widget;
        }
    }
}

void CKestrixDlg::setUpRecordList()
{
    records_ = new RecordListModel(controller_->records(), this);
    listView_->setModel(records_);
    // A report list: whole rows, no grid and no row numbers; rows of one
    // height, so that 65,535 of them stay smooth.
    listView_->setShowGrid(false);
    listView_->setWordWrap(false);
    listView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView_->verticalHeader()->hide();
    listView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    listView_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    listView_->horizontalHeader()->setStretchLastSection(false);
    listView_->horizontalHeader()->setHighlightSections(false);
    listView_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int c = 0; c < RecordListModel::kColumns; ++c)
        listView_->horizontalHeader()->resizeSection(c, kListColumns[c].width);
}

QWidget *CKestrixDlg::control(int id) const { return controls_.value(id, nullptr); }
QPushButton *CKestrixDlg::button(int id) const { return qobject_cast<QPushButton *>(control(id)); }
QLineEdit *CKestrixDlg::edit(int id) const { return qobject_cast<QLineEdit *>(control(id)); }

void CKestrixDlg::route(int id) { controller_->press(id); }

// ---- the view ----------------------------------------------------------------

QLineEdit *CKestrixDlg::editOf(Field field) const { return edit(editIdOf(field)); }

std::string CKestrixDlg::fieldText(Field field) const { return editOf(field)->text().toStdString(); }

void CKestrixDlg::setFieldText(Field field, const std::string &text)
{
    editOf(field)->setText(QString::fromStdString(text));
}

void CKestrixDlg::selectField(Field field)
{
    QLineEdit *e = editOf(field);
    e->setFocus(Qt::OtherFocusReason);
    e->selectAll();
}

void CKestrixDlg::rowsAppended(std::size_t first, std::size_t count) { records_->rowsAppended(first, count); }

void CKestrixDlg::rowsReset()
{
    records_->reset();
    listView_->viewport()->update();
}

void CKestrixDlg::setProgress(int position) { progress_->setValue(position); }

void CKestrixDlg::setBusy(bool busy)
{
    // A disabled button gives its focus away; it comes back afterwards, so
    // that an operator on the keyboard goes on from the button pressed.
    if (busy && focusWidget())
        focusBeforeBusy_ = focusWidget();
    // Every button starts work or closes the dialog; while the reader works,
    // none takes a click, and Enter has no default button to press.
    for (QWidget *w : std::as_const(controls_))
        if (auto *b = qobject_cast<QPushButton *>(w))
            b->setEnabled(!busy);
    if (busy) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
        if (focusBeforeBusy_)
            focusBeforeBusy_->setFocus(Qt::OtherFocusReason);
        focusBeforeBusy_ = nullptr;
    }
}

void CKestrixDlg::closeDialog()
{
    closing_ = true;
    accept();
}

void CKestrixDlg::reject() { controller_->escape(); }

void CKestrixDlg::closeEvent(QCloseEvent *event)
{
    if (closing_)
        return QDialog::closeEvent(event);
    event->ignore();
    controller_->escape();
}

// ---- painting --------------------------------------------------------------

void CKestrixDlg::paintEvent(QPaintEvent *event)
{
    if (!isMinimized())
        return QDialog::paintEvent(event);
    // Where the desktop paints minimised windows, the icon sits centred.
    QPainter painter(this);
    const int side = style()->pixelMetric(QStyle::PM_LargeIconSize);
    painter.eraseRect(rect());
    painter.drawPixmap((width() - side + 1) / 2, (height() - side + 1) / 2, icon_.pixmap(side, side));
}

} // namespace kestrix

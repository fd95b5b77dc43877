// The dialog's construction, layout, field exchange and routing, and the
// connection actions.
#include "kestrix_dlg.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>

#include "app_icon.h"
#include "dialog_template.h"
#include "field_exchange.h"
#include "kestlink.h"
#include "messages.h"
#include "record_list_model.h"
#include "toolkit.h"

namespace kestrix {

namespace {

// The program's comparison list lives as long as the program.
CompareTable &theCompareTable()
{
    static CompareTable table;
    return table;
}

constexpr int kColumnWidths[RecordListModel::kColumns] = {50, 120, 140, 50};
constexpr int kMaxKeyLength = 15;

} // namespace

CKestrixDlg::CKestrixDlg(Toolkit &toolkit, QWidget *parent)
    : QDialog(parent), toolkit_(toolkit), icon_(kestrixIcon()), compareTable_(theCompareTable())
{
    const auto &layout = mainDialogTemplate();
    setWindowTitle(QString::fromUtf8(layout.title));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(dialogFont());
    setFixedSize(DialogUnits(font()).toPixels(layout.units));
    setWindowIcon(icon_);

    createControls();
    setUpRecordList();
    progress_->setRange(0, 100);
    progress_->setValue(0);

    rangeStart_ = rangeEnd_ = singleNumber_ = 1;
    showFields();

    // The first control in template order has the focus: "关闭软件".
    button(IDOK)->setFocus(Qt::OtherFocusReason);
}

CKestrixDlg::~CKestrixDlg() = default;

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
        case ControlKind::ListView:
            widget = listView_ = new QTreeView(this);
            break;
        case ControlKind::ProgressBar:
            widget = progress_ = new QProgressBar(this);
            progress_->setTextVisible(false);
            break;
        case ControlKind::Label:
            widget = new QLabel(caption, this);
            break;
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
    records_ = new RecordListModel(this);
    listView_->setModel(records_);
    listView_->setRootIsDecorated(false);
    listView_->setUniformRowHeights(true); // keeps 65,535 rows smooth
    listView_->setItemsExpandable(false);
    listView_->setAllColumnsShowFocus(true);
    listView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView_->header()->setStretchLastSection(false);
    listView_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int c = 0; c < RecordListModel::kColumns; ++c)
        listView_->header()->resizeSection(c, kColumnWidths[c]);
}

QWidget *CKestrixDlg::control(int id) const { return controls_.value(id, nullptr); }
QPushButton *CKestrixDlg::button(int id) const { return qobject_cast<QPushButton *>(control(id)); }
QLineEdit *CKestrixDlg::edit(int id) const { return qobject_cast<QLineEdit *>(control(id)); }

void CKestrixDlg::route(int id)
{
    using Handler = void (CKestrixDlg::*)();
    static const std::pair<int, Handler> routes[] = {
        {IDOK, &CKestrixDlg::onOK},
        {IDC_CONNECT, &CKestrixDlg::onConnect},
        {IDC_DISCONNECT, &CKestrixDlg::onDisconnect},
        {IDC_READ_ALL, &CKestrixDlg::onReadAll},
        {IDC_SET_TIME, &CKestrixDlg::onSetTime},
        {IDC_DELETE_ALL, &CKestrixDlg::onDeleteAll},
        {IDC_SAVE_FILE, &CKestrixDlg::onSaveFile},
        {IDC_CLEAR_LIST, &CKestrixDlg::onClearList},
        {IDC_QUERY_COUNT, &CKestrixDlg::onQueryCount},
        {IDC_READ_ONE, &CKestrixDlg::onReadOne},
        {IDC_SET_KEY, &CKestrixDlg::onKeyButton},
        {IDC_READ_KEY, &CKestrixDlg::onKeyButton},
        {IDC_OPEN_COMPARE, &CKestrixDlg::onOpenCompareFile},
        {IDC_DOWNLOAD_COMPARE, &CKestrixDlg::onDownloadCompareList},
        {IDC_DELETE_COMPARE, &CKestrixDlg::onDeleteCompareList},
        {IDC_REMOVE_DUPLICATES, &CKestrixDlg::onRemoveDuplicates},
        {IDC_READ_RANGE, &CKestrixDlg::onReadRange},
    };
    for (const auto &[routeId, handler] : routes)
        if (routeId == id)
            return (this->*handler)();
}

// ---- field exchange ------------------------------------------------------

bool CKestrixDlg::fetchInteger(int id, std::int32_t &field, std::optional<std::pair<int, int>> range)
{
    QLineEdit *e = edit(id);
    const auto value = parseIntegerField(e->text());
    QString problem;
    if (!value) {
        problem = integerMessage();
    } else {
        field = *value; // an out-of-range number is kept as typed
        if (range && (*value < range->first || *value > range->second))
            problem = rangeMessage(range->first, range->second);
    }
    if (problem.isEmpty())
        return true;
    toolkit_.message(this, problem, MessageIcon::Warning);
    e->setFocus(Qt::OtherFocusReason);
    e->selectAll();
    return false;
}

bool CKestrixDlg::fetchText(int id, QString &field, int maxLength)
{
    QLineEdit *e = edit(id);
    field = e->text();
    if (maxLength < 0 || field.size() <= maxLength)
        return true;
    toolkit_.message(this, lengthMessage(maxLength), MessageIcon::Warning);
    e->setFocus(Qt::OtherFocusReason);
    e->selectAll();
    return false;
}

bool CKestrixDlg::fetchFields()
{
    const std::pair<int, int> recordNumbers{1, kMaxRecordNumber};
    return fetchInteger(IDC_RECORD_COUNT, recordCount_, std::nullopt) &&
           fetchInteger(IDC_SINGLE_NUMBER, singleNumber_, recordNumbers) &&
           fetchText(IDC_KEY_TEXT, keyText_, kMaxKeyLength) && fetchText(IDC_KEY_READBACK, keyReadBack_, -1) &&
           fetchInteger(IDC_RANGE_START, rangeStart_, recordNumbers) &&
           fetchInteger(IDC_RANGE_END, rangeEnd_, recordNumbers);
}

void CKestrixDlg::showFields()
{
    edit(IDC_RECORD_COUNT)->setText(QString::number(recordCount_));
    edit(IDC_SINGLE_NUMBER)->setText(QString::number(singleNumber_));
    edit(IDC_KEY_TEXT)->setText(keyText_);
    edit(IDC_KEY_READBACK)->setText(keyReadBack_);
    edit(IDC_RANGE_START)->setText(QString::number(rangeStart_));
    edit(IDC_RANGE_END)->setText(QString::number(rangeEnd_));
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

// ---- shared steps ----------------------------------------------------------

void CKestrixDlg::say(const char *text) { toolkit_.message(this, QString::fromUtf8(text)); }

void CKestrixDlg::appendRecord(const TagRecord &record, std::int32_t sequence)
{
    records_->append(rowFromRecord(record, sequence));
}

void CKestrixDlg::setProgress(int position) { progress_->setValue(position); }

void CKestrixDlg::keepWindowAlive()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// ---- connection ------------------------------------------------------------

void CKestrixDlg::onOK()
{
    if (fetchFields())
        accept();
}

void CKestrixDlg::onConnect() { say(KX_Connect() == 1 ? text::kConnected : text::kConnectFailed); }

void CKestrixDlg::onDisconnect()
{
    if (KX_Close() == 0)
        say(text::kDisconnectFailed);
}

} // namespace kestrix

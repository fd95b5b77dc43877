#include "record_list_model.h"

namespace kestrix {

namespace {
const char *const kHeaders[RecordListModel::kColumns] = {"序号", "卡号", "时间", "标记"};

const std::string &columnBytes(const RowTexts &row, int column)
{
    switch (column) {
    case 0: return row.sequence;
    case 1: return row.cardNumber;
    case 2: return row.time;
    default: return row.flag;
    }
}
} // namespace

RecordListModel::RecordListModel(QObject *parent)
    : QAbstractTableModel(parent), gbk_("GBK", QStringConverter::Flag::Stateless)
{
}

int RecordListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RecordListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : kColumns; }

QString RecordListModel::displayText(int row, int column) const
{
    const std::string &bytes = columnBytes(rows_[static_cast<std::size_t>(row)], column);
    if (!gbk_.isValid()) // a Qt without GBK still shows the ASCII of the reader
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return gbk_.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

QVariant RecordListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumns)
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return displayText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(kHeaders[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void RecordListModel::append(RowTexts row)
{
    const int at = rowCount();
    beginInsertRows({}, at, at);
    rows_.push_back(std::move(row));
    endInsertRows();
}

void RecordListModel::replaceAll(std::vector<RowTexts> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void RecordListModel::clear() { replaceAll({}); }

} // namespace kestrix

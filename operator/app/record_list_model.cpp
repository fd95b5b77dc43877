// SPDX-License-Identifier: MIT
#include "record_list_model.h"

#include "gbk_text.h"

namespace kestrix {

RecordListModel::RecordListModel(const RecordList &rows, QObject *parent)
    : QAbstractTableModel(parent), rows_(rows), shown_(static_cast<int>(rows.size()))
{
}

int RecordListModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : shown_; }

void RecordListModel::rowsAppended(std::size_t first, std::size_t count)
{
    if (count == 0)
        return;
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
    shown_ = static_cast<int>(first + count);
    endInsertRows();
}

void RecordListModel::reset()
{
    beginResetModel();
    shown_ = static_cast<int>(rows_.size());
    endResetModel();
}

int RecordListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : kColumns; }

QString RecordListModel::displayText(int row, int column) const
{
    return QString::fromStdU16String(gbkToUtf16(columnText(rows_[static_cast<std::size_t>(row)], column)));
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
        return QString::fromUtf8(kListColumns[section].title);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

} // namespace kestrix

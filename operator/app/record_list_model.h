// SPDX-License-Identifier: MIT
// The record list as the dialog's table shows it: the rows the operator's
// steps keep (RecordList), each column's bytes decoded from GBK for display,
// a byte that is no GBK character shown as U+FFFD, so that every byte shows.
// The steps say when rows come; the model follows.
#pragma once

#include <QAbstractTableModel>

#include "record_list.h"

namespace kestrix {

class RecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = kListColumnCount;

    explicit RecordListModel(const RecordList &rows, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The rows first to first + count - 1 of the list are new.
    void rowsAppended(std::size_t first, std::size_t count);
    // The list changed as a whole.
    void reset();

    const RowTexts &row(int r) const { return rows_[static_cast<std::size_t>(r)]; }
    // The text of one column as shown.
    QString displayText(int row, int column) const;

private:
    const RecordList &rows_;
    int shown_ = 0; // the rows the views know of
};

} // namespace kestrix

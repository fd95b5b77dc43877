// The record list: each row's four texts as the bytes they were built from,
// shown decoded from GBK. Export and duplicate removal read the rows back as
// those same bytes.
#pragma once

#include <QAbstractTableModel>
#include <QStringDecoder>
#include <vector>

#include "row_texts.h"

namespace kestrix {

class RecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 4;

    explicit RecordListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const std::vector<RowTexts> &rows() const { return rows_; }
    void append(RowTexts row);
    void replaceAll(std::vector<RowTexts> rows);
    void clear();

    // The text of one column as shown.
    QString displayText(int row, int column) const;

private:
    std::vector<RowTexts> rows_;
    mutable QStringDecoder gbk_;
};

} // namespace kestrix

// The list's model: rows kept as bytes, shown decoded from GBK.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "record_list_model.h"

namespace kestrix {

TEST(RecordListModel, KeepsTheBytesAndShowsThemDecodedFromGbk)
{
    RecordListModel model;
    // "卡号" in GBK as a card number: the reader's bytes stay as they came.
    const RowTexts row{"00001", "\xBF\xA8\xBA\xC5 012345678901", "2024/01/27 13:12:07", " "};
    model.append(row);
    EXPECT_EQ(model.rows().front(), row);
    EXPECT_EQ(model.displayText(0, 1), QString::fromUtf8("卡号 012345678901"));
    EXPECT_EQ(model.data(model.index(0, 3)).toString(), " ");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QString::fromUtf8("时间"));
}

TEST(RecordListModel, HoldsAFullReadersWorthOfRows)
{
    RecordListModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (int i = 1; i <= 65535; ++i)
        model.append({sequenceText(i), "999 012345678901", "2024/01/27 13:12:07", "1"});
    EXPECT_EQ(model.rowCount(), 65535);
    EXPECT_EQ(inserted.count(), 65535) << "each row is announced on its own, so the view only adds it";
    EXPECT_EQ(model.displayText(65534, 0), "65535");
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace kestrix

// SPDX-License-Identifier: MIT
// The list's model: the steps' rows, shown decoded from GBK, announced as
// they come.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "record_list_model.h"

namespace kestrix {

TEST(RecordListModel, ShowsTheBytesDecodedFromGbk)
{
    RecordList list;
    RecordListModel model(list);
    // "卡号" in GBK as a card number: the reader's bytes stay as they came.
    const RowTexts row{"00001", "\xBF\xA8\xBA\xC5 012345678901", "2024/01/27 13:12:07", " "};
    list.append(row);
    model.rowsAppended(0, 1);
    EXPECT_EQ(model.row(0), row);
    EXPECT_EQ(model.displayText(0, 1), QString::fromUtf8("卡号 012345678901"));
    EXPECT_EQ(model.data(model.index(0, 3)).toString(), " ");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QString::fromUtf8("时间"));
}

TEST(RecordListModel, FollowsAFullReadersWorthOfRows)
{
    RecordList list;
    RecordListModel model(list);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (int i = 1; i <= 65535; ++i) {
        list.append({sequenceText(i), "999 012345678901", "2024/01/27 13:12:07", "1"});
        model.rowsAppended(list.size() - 1, 1);
    }
    EXPECT_EQ(model.rowCount(), 65535);
    EXPECT_EQ(inserted.count(), 65535) << "each row is announced on its own, so the view only adds it";
    EXPECT_EQ(model.displayText(65534, 0), "65535");
    // Rows the steps have not told of yet are not shown.
    list.append({"65536", "x", "y", "z"});
    EXPECT_EQ(model.rowCount(), 65535);
    list.clear();
    model.reset();
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace kestrix

namespace kestrix {

// Every byte shows: one U+FFFD for each byte that is no GBK character, so a
// 16-byte card shows 16 characters, and rows that differ only there differ on
// screen too; the bytes themselves stay as they came.
TEST(RecordListModel, EveryByteIsVisible)
{
    RecordList list;
    RecordListModel model(list);
    list.append({"00001", "999 01234567890\xFF", "", ""});
    list.append({"00002", "AB\xB0", "", ""});
    model.rowsAppended(0, 2);
    EXPECT_EQ(model.displayText(0, 1), QString::fromUtf8("999 01234567890\xEF\xBF\xBD"));
    EXPECT_EQ(model.displayText(0, 1).size(), 16);
    EXPECT_EQ(model.displayText(1, 1), QString::fromUtf8("AB\xEF\xBF\xBD"));
    EXPECT_EQ(model.row(0).cardNumber, "999 01234567890\xFF");
}

} // namespace kestrix

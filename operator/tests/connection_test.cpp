// Connecting, disconnecting, closing, and the field checks on closing.
#include <QTest>

#include "dialog_fixture.h"

namespace kestrix {

TEST_F(DialogTest, ConnectSaysWhetherTheReaderAnswered)
{
    press(IDC_CONNECT);
    EXPECT_EQ(said(), texts({"连接失败！"}));
    toolkit.forget();

    auto &com5 = addReader(10, 5);
    press(IDC_CONNECT);
    EXPECT_EQ(said(), texts({"连接成功！"}));
    EXPECT_EQ(toolkit.messages[0].icon, MessageIcon::None);

    // Pressing it again searches from COM3 again.
    auto &com3 = addReader(10, 3);
    press(IDC_CONNECT);
    com3.clearRequests();
    com5.clearRequests();
    press(IDC_QUERY_COUNT);
    EXPECT_EQ(com3.requestCount(), 1u);
    EXPECT_EQ(com5.requestCount(), 0u);
}

TEST_F(DialogTest, DisconnectShowsNothingAndCommandsThenFail)
{
    press(IDC_DISCONNECT);
    EXPECT_TRUE(said().empty()) << "nothing was connected, and nothing is said";

    auto &reader = connectedReader(10);
    press(IDC_DISCONNECT);
    EXPECT_TRUE(said().empty());
    press(IDC_QUERY_COUNT);
    EXPECT_EQ(said(), texts({"查询数目失败！"}));
    EXPECT_EQ(reader.requestCount(), 0u);
}

TEST_F(DialogTest, CloseButtonChecksTheFieldsFirst)
{
    type(IDC_SINGLE_NUMBER, "0");
    press(IDOK);
    EXPECT_EQ(said(), texts({"请输入一个介于 1 和 20000 之间的整数。"}));
    EXPECT_TRUE(dialog->isVisible()) << "a field that fails keeps the dialog open";
    EXPECT_EQ(dialog->focusWidget(), dialog->edit(IDC_SINGLE_NUMBER));

    type(IDC_SINGLE_NUMBER, "7");
    press(IDOK);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(DialogTest, CloseBoxEndsTheDialogWithoutChecking)
{
    type(IDC_SINGLE_NUMBER, "0");
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(said().empty());
}

TEST_F(DialogTest, EnterInAnEditPressesCloseWhenTheFieldsAreGood)
{
    dialog->activateWindow();
    dialog->edit(IDC_RANGE_START)->setFocus();
    QTest::keyClick(dialog->edit(IDC_RANGE_START), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(DialogTest, FieldChecksStopAtTheFirstBadField)
{
    struct Case {
        const char *single, *start, *end;
        const char *message;  // nullptr: all good
        int focus;
    };
    const Case cases[] = {
        {"abc", "0", "0", "请输入一个整数。", IDC_SINGLE_NUMBER},
        {"5", "20001", "x", "请输入一个介于 1 和 20000 之间的整数。", IDC_RANGE_START},
        {"5", "2", "", "请输入一个整数。", IDC_RANGE_END},
        {" 12 ", "3", "4", nullptr, 0},
    };
    for (const auto &c : cases) {
        toolkit.forget();
        type(IDC_SINGLE_NUMBER, c.single);
        type(IDC_RANGE_START, c.start);
        type(IDC_RANGE_END, c.end);
        const bool ok = dialog->fetchFields();
        EXPECT_EQ(ok, c.message == nullptr) << c.single << "/" << c.start << "/" << c.end;
        if (c.message) {
            EXPECT_EQ(said(), texts({c.message}));
            EXPECT_EQ(dialog->focusWidget(), dialog->edit(c.focus));
        }
    }
    EXPECT_EQ(dialog->singleNumberField(), 12);
    EXPECT_EQ(dialog->rangeStartField(), 3);
    EXPECT_EQ(dialog->rangeEndField(), 4);
}

TEST_F(DialogTest, KeyTextHoldsAtMostFifteenCharacters)
{
    type(IDC_KEY_TEXT, "0123456789abcdefg");
    EXPECT_FALSE(dialog->fetchFields());
    EXPECT_EQ(said(), texts({"请输入不超过 15 个字符。"}));
}

} // namespace kestrix

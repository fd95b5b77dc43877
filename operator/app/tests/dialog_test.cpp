// SPDX-License-Identifier: MIT
// The real dialog around the operator's steps: what only a window shows. Its
// buttons go dead while the reader works, so a click or a key meanwhile is
// dropped; Esc and the close box stop a download and leave the window open;
// 关闭软件 and Enter check the fields; the table follows the steps' rows.
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include "dialog_fixture.h"

namespace kestrix {

namespace {

std::vector<QPushButton *> visibleButtons(const CKestrixDlg &dialog)
{
    std::vector<QPushButton *> buttons;
    for (auto *b : dialog.findChildren<QPushButton *>())
        if (b->isVisible())
            buttons.push_back(b);
    return buttons;
}

// A click the way the desktop delivers one: queued by the window system, not
// sent straight to the button.
void queueClick(CKestrixDlg &dialog, QWidget *target)
{
    QWindow *window = dialog.windowHandle();
    const QPointF at = target->mapTo(&dialog, QPointF(target->rect().center()));
    const QPointF global = window->mapToGlobal(at);
    using Input = QWindowSystemInterface;
    Input::handleMouseEvent<Input::AsynchronousDelivery>(window, at, global, Qt::LeftButton, Qt::LeftButton,
                                                         QEvent::MouseButtonPress);
    Input::handleMouseEvent<Input::AsynchronousDelivery>(window, at, global, Qt::NoButton, Qt::LeftButton,
                                                         QEvent::MouseButtonRelease);
}

} // namespace

TEST_F(DialogTest, ReadAllFillsTheTableWhileEveryButtonIsDead)
{
    connectedReader(20);
    click(IDC_READ_ALL);
    ASSERT_TRUE(waitFor([this] { return rows() >= 3; }));
    for (auto *b : visibleButtons(*dialog))
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    EXPECT_EQ(dialog->cursor().shape(), Qt::BusyCursor);
    settle();
    EXPECT_EQ(rows(), 20);
    EXPECT_EQ(cell(19, 0), "00020");
    EXPECT_EQ(dialog->progressBar()->value(), 100);
    for (auto *b : visibleButtons(*dialog))
        EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
    EXPECT_NE(dialog->cursor().shape(), Qt::BusyCursor);
}

TEST_F(DialogTest, TheFocusComesBackToTheButtonPressed)
{
    addReader(5);
    dialog->activateWindow();
    dialog->button(IDC_CONNECT)->setFocus();
    QTest::keyClick(dialog->button(IDC_CONNECT), Qt::Key_Space);
    settle();
    EXPECT_EQ(toolkit.texts(), std::vector<std::string>{"连接成功！"});
    EXPECT_EQ(dialog->focusWidget(), dialog->button(IDC_CONNECT)) << "Tab goes on from where the operator was";
}

TEST_F(DialogTest, AClickDuringADownloadIsDroppedNotReplayed)
{
    connectedReader(20);
    click(IDC_READ_ALL);
    ASSERT_TRUE(waitFor([this] { return rows() >= 3; }));
    queueClick(*dialog, dialog->button(IDC_CLEAR_LIST));
    queueClick(*dialog, dialog->button(IDC_READ_ALL));
    settle();
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(rows(), 20) << "neither the list was cleared nor a second download run";
    EXPECT_FALSE(dialog->controller().busy());
}

TEST_F(DialogTest, EscapeStopsADownloadAndTheWindowStays)
{
    connectedReader(300);
    click(IDC_READ_ALL);
    ASSERT_TRUE(waitFor([this] { return rows() >= 3; }));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    settle();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_LT(rows(), 300);
    EXPECT_EQ(toolkit.texts(), std::vector<std::string>{"读取已停止，共读取 " + std::to_string(rows()) + " 条记录 !"});
    // Idle, Esc closes as it always did.
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(DialogTest, TheCloseBoxStopsADownloadAndClosesWhenIdle)
{
    connectedReader(300);
    click(IDC_READ_ALL);
    ASSERT_TRUE(waitFor([this] { return rows() >= 3; }));
    dialog->close();
    settle();
    EXPECT_TRUE(dialog->isVisible()) << "the close box during a download stops it";
    EXPECT_EQ(toolkit.texts().size(), 1u);
    type(IDC_SINGLE_NUMBER, "0"); // the close box does not check the fields
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(toolkit.texts().size(), 1u);
}

TEST_F(DialogTest, TheCloseButtonChecksTheFieldsFirst)
{
    type(IDC_SINGLE_NUMBER, "0");
    click(IDOK);
    EXPECT_EQ(toolkit.texts(), std::vector<std::string>{"请输入一个介于 1 和 20000 之间的整数。"});
    EXPECT_TRUE(dialog->isVisible()) << "a field that fails keeps the dialog open";
    EXPECT_EQ(dialog->focusWidget(), dialog->edit(IDC_SINGLE_NUMBER));
    EXPECT_EQ(dialog->edit(IDC_SINGLE_NUMBER)->selectedText(), "0");

    type(IDC_SINGLE_NUMBER, "7");
    click(IDOK);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(DialogTest, EnterInAnEditPressesCloseWhenTheFieldsAreGood)
{
    dialog->activateWindow();
    dialog->edit(IDC_RANGE_START)->setFocus();
    QTest::keyClick(dialog->edit(IDC_RANGE_START), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(DialogTest, EnterDuringADownloadPressesNothing)
{
    connectedReader(30);
    click(IDC_READ_ALL);
    ASSERT_TRUE(waitFor([this] { return rows() >= 3; }));
    dialog->edit(IDC_RANGE_START)->setFocus();
    QTest::keyClick(dialog->edit(IDC_RANGE_START), Qt::Key_Return);
    settle();
    EXPECT_TRUE(dialog->isVisible()) << "关闭软件 was dead: Enter closed nothing";
    EXPECT_EQ(rows(), 30);
}

TEST_F(DialogTest, TheWindowKeepsAnsweringDuringADownload)
{
    connectedReader(20);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    click(IDC_READ_ALL);
    // The handler returned at once: the event loop runs while the reader works.
    EXPECT_TRUE(dialog->controller().busy());
    settle();
    EXPECT_GT(ticks, 10) << "the event loop ran throughout the download";
}

} // namespace kestrix

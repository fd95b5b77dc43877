// Showing the count and reading records into the list.
#include <QCoreApplication>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "dialog_fixture.h"

namespace kestrix {

namespace {
constexpr std::uint8_t kReadRecord = 0x01;

// The record numbers the reader was asked for, in order.
std::vector<int> recordNumbersAsked(const kestsim::VirtualReader &reader)
{
    std::vector<int> numbers;
    for (const auto &frame : reader.requests())
        if (frame.code() == kReadRecord)
            numbers.push_back(frame.bytes[3] | frame.bytes[4] << 8);
    return numbers;
}
} // namespace

TEST_F(DialogTest, ShowCountRewritesEveryEditFromTheFields)
{
    connectedReader(1234);
    type(IDC_SINGLE_NUMBER, "99"); // typed, not yet fetched
    press(IDC_QUERY_COUNT);
    EXPECT_TRUE(said().empty());
    EXPECT_EQ(dialog->edit(IDC_RECORD_COUNT)->text(), "1234");
    EXPECT_EQ(dialog->edit(IDC_SINGLE_NUMBER)->text(), "1");
}

TEST_F(DialogTest, ReadAllFillsTheListAndTheBarReachesTheEnd)
{
    auto &reader = connectedReader(3);
    press(IDC_READ_ALL);
    EXPECT_TRUE(said().empty());
    ASSERT_EQ(rows(), 3);
    const auto records = reader.records();
    for (int r = 0; r < 3; ++r) {
        const auto row = dialog->recordList().rows()[static_cast<std::size_t>(r)];
        EXPECT_EQ(row.sequence, sequenceText(r + 1));
        EXPECT_EQ(row.cardNumber, std::string(records[r].begin(), records[r].begin() + 16));
    }
    EXPECT_EQ(progress, (std::vector<int>{33, 66, 100})) << "0 is where the bar already stood";
    EXPECT_EQ(toolkit.sleeps, std::vector<int>{50});
    EXPECT_EQ(recordNumbersAsked(reader), (std::vector<int>{0, 1, 2}));
}

TEST_F(DialogTest, ReadAllOfMoreThanAHundredRecordsAdvancesTheBar)
{
    connectedReader(250);
    press(IDC_READ_ALL);
    ASSERT_EQ(rows(), 250);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    // The bar moves through the download, not only at its end.
    EXPECT_GT(progress.size(), 50u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.front(), 1) << "record 3 of 250 moves it off 0";
    EXPECT_NE(std::find(progress.begin(), progress.end(), 50), progress.end());
}

TEST_F(DialogTest, ReadAllAppendsAfterExistingRowsAndNumbersThemOn)
{
    connectedReader(4);
    press(IDC_READ_ALL);
    press(IDC_READ_ALL);
    ASSERT_EQ(rows(), 8);
    EXPECT_EQ(cell(4, 0), "00005");
    EXPECT_EQ(cell(7, 0), "00008");
    EXPECT_EQ(cell(4, 1), cell(0, 1));
}

TEST_F(DialogTest, ReadAllFailures)
{
    press(IDC_READ_ALL);
    EXPECT_EQ(said(), texts({"查询数目失败 !"}));

    auto &reader = connectedReader(0);
    press(IDC_READ_ALL);
    EXPECT_EQ(said(), texts({"查询数目为 0 !"}));
    toolkit.forget();

    reader.setRecords(kestsim::sampleRecords(5));
    reader.addFault({kestsim::FaultKind::NoReply, kReadRecord, 3, 1u});
    press(IDC_READ_ALL);
    EXPECT_EQ(said(), texts({"读取不成功 !"}));
    EXPECT_EQ(rows(), 2) << "rows read before the failure stay";
    EXPECT_EQ(dialog->progressBar()->value(), 20) << "the bar stays where it was";
}

TEST_F(DialogTest, RowTextsShowTheRecord)
{
    auto &reader = connectedReader(0);
    const auto flagged = kestsim::makeRecord("999 012345678901", {2024, 1, 27, 13, 12, 7}, 2);
    const auto plain = kestsim::makeRecord("123 000000000042", {2031, 12, 31, 23, 59, 58}, 0);
    reader.setRecords({flagged, plain});
    press(IDC_READ_ALL);
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(cell(0, 0), "00001");
    EXPECT_EQ(cell(0, 1), "999 012345678901");
    EXPECT_EQ(cell(0, 2), "2024/01/27 13:12:07");
    EXPECT_EQ(cell(0, 3), "2");
    EXPECT_EQ(cell(1, 2), "2031/12/31 23:59:58");
    EXPECT_EQ(cell(1, 3), " ");
}

TEST_F(DialogTest, ReadOneChecksTheNumber)
{
    auto &reader = connectedReader(30);
    type(IDC_SINGLE_NUMBER, "0");
    press(IDC_READ_ONE);
    EXPECT_EQ(said(), texts({"请输入一个介于 1 和 20000 之间的整数。", "数据不能为0 !"}));
    EXPECT_EQ(reader.requestCount(), 0u);
    toolkit.forget();

    // 20001 fails its check but is kept, and the reader is asked for it.
    type(IDC_SINGLE_NUMBER, "20001");
    press(IDC_READ_ONE);
    EXPECT_EQ(said(), texts({"请输入一个介于 1 和 20000 之间的整数。", "读取失败！"}));
    EXPECT_EQ(recordNumbersAsked(reader), std::vector<int>{20000});
    toolkit.forget();

    type(IDC_SINGLE_NUMBER, "7");
    press(IDC_READ_ONE);
    EXPECT_TRUE(said().empty());
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(cell(0, 0), "00007") << "numbered by its record number";
    EXPECT_TRUE(progress.empty()) << "read one leaves the bar alone";

    press(IDC_DISCONNECT);
    press(IDC_READ_ONE);
    EXPECT_EQ(said(), texts({"读取失败！"}));
}

TEST_F(DialogTest, ReadRangeChecksInOrder)
{
    connectedReader(4);
    struct Case {
        const char *start, *end;
        std::vector<const char *> messages;
    };
    const Case cases[] = {
        // The fetch stops at the start, so the end keeps its earlier 1.
        {"0", "2", {"请输入一个介于 1 和 20000 之间的整数。", "起始条数或结束条数不能为0 !"}},
        {"5", "3", {"结束条数不能小于起始条数 !"}},
        {"1", "5", {"结束条数不能超过总条数 !"}},
        {"3", "3", {}},
    };
    for (const auto &c : cases) {
        toolkit.forget();
        type(IDC_RANGE_START, c.start);
        type(IDC_RANGE_END, c.end);
        press(IDC_READ_RANGE);
        std::vector<QString> expected;
        for (const char *m : c.messages)
            expected.push_back(QString::fromUtf8(m));
        EXPECT_EQ(said(), expected) << c.start << ".." << c.end;
    }
    EXPECT_EQ(rows(), 1);
}

TEST_F(DialogTest, ReadRangeOver20000IsRefused)
{
    auto &reader = connectedReader(0);
    reader.setRecords(std::vector<kestsim::Record>(20005, kestsim::sampleRecords(1)[0]));
    type(IDC_RANGE_START, "19999");
    type(IDC_RANGE_END, "20001"); // fails its check but is kept
    press(IDC_READ_RANGE);
    EXPECT_EQ(said(), texts({"请输入一个介于 1 和 20000 之间的整数。", "起始条数或结束条数不能大于20000 !"}));
    EXPECT_EQ(rows(), 0);
}

TEST_F(DialogTest, ReadRangeThreeToFiveOfTen)
{
    auto &reader = connectedReader(10);
    type(IDC_RANGE_START, "3");
    type(IDC_RANGE_END, "5");
    press(IDC_READ_RANGE);
    EXPECT_TRUE(said().empty());
    EXPECT_EQ(recordNumbersAsked(reader), (std::vector<int>{2, 3, 4}));
    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(cell(0, 0), "00003");
    EXPECT_EQ(cell(2, 0), "00005");
    EXPECT_EQ(progress, (std::vector<int>{10, 20, 100})) << "0, 10, 20 against the reader's 10, then 100";
}

TEST_F(DialogTest, ReadRangeWithoutReader)
{
    press(IDC_READ_RANGE);
    EXPECT_EQ(said(), texts({"查询数目失败 !"}));
}

} // namespace kestrix

namespace kestrix {

// While a download runs the window keeps painting, but a click made meanwhile
// waits until the download is over.
TEST_F(DialogTest, ClicksDuringADownloadWaitForIt)
{
    connectedReader(20);
    QPushButton *clear = dialog->button(IDC_CLEAR_LIST);
    QWindow *window = dialog->windowHandle();
    ASSERT_NE(window, nullptr);
    // The click comes the way the desktop delivers one: queued by the window
    // system, not sent straight to the button.
    QTimer::singleShot(0, clear, [&] {
        const QPointF at = clear->mapTo(dialog.get(), QPointF(clear->rect().center()));
        const QPointF global = window->mapToGlobal(at);
        using Input = QWindowSystemInterface;
        Input::handleMouseEvent<Input::AsynchronousDelivery>(window, at, global, Qt::LeftButton, Qt::LeftButton,
                                                              QEvent::MouseButtonPress);
        Input::handleMouseEvent<Input::AsynchronousDelivery>(window, at, global, Qt::NoButton, Qt::LeftButton,
                                                              QEvent::MouseButtonRelease);
    });
    int progressSteps = 0;
    QObject::connect(dialog->progressBar(), &QProgressBar::valueChanged, [&] { ++progressSteps; });
    press(IDC_READ_ALL);
    EXPECT_EQ(rows(), 20) << "the click on 清除显示 has not run during the download";
    EXPECT_GT(progressSteps, 5);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(rows(), 0) << "and runs once the download is over";
}

} // namespace kestrix

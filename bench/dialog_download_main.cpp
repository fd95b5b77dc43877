// SPDX-License-Identifier: MIT
// The download as the operator sees it: through the real dialog (Qt's
// offscreen platform), its table and the operator's steps, against the
// virtual reader at 115200 baud; once into an empty list, once into one that
// already holds 60,000 rows. Prints the pace per record, seen where the
// table takes each new row, and the longest time the user-interface thread
// was kept from its event loop. Figures only; never fails on
// them.
#include <QApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dialog_template.h"
#include "kestlink.h"
#include "qt_kestrix_dlg.h"
#include "kestsim/sample_records.h"
#include "kestsim/simulator.h"
#include "record_list_model.h"
#include "toolkit.h"

namespace {

using namespace kestrix;

constexpr double kGoalRatio = 1.05;
constexpr double kStallGoalMs = 100;

// Boxes and dialogs answered at once; the waits and the way back to the
// user-interface thread as the real toolkit has them.
class BenchToolkit : public Toolkit {
public:
    void message(const std::string &text, MessageIcon) override { said.push_back(text); }
    bool askYesNo(const std::string &) override { return false; }
    std::optional<std::string> saveFileName(const FileDialogOptions &) override { return std::nullopt; }
    std::optional<std::string> openFileName(const FileDialogOptions &) override { return std::nullopt; }
    void beep(int, int) override {}
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    LocalTime localTime() override { return {}; }
    void post(std::function<void()> task) override
    {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
    }
    std::vector<std::string> said;
};

// The longest the event loop went without serving a timer that asks every
// millisecond: how long the user-interface thread was kept from painting and
// answering the desktop.
class StallMeter {
public:
    StallMeter()
    {
        ticker_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker_, &QTimer::timeout, [this] {
            if (last_.isValid())
                longestMs_ = std::max(longestMs_, last_.nsecsElapsed() / 1e6 - 1.0);
            last_.start();
        });
        ticker_.start(1);
    }
    void reset()
    {
        longestMs_ = 0;
        last_.invalidate();
    }
    double longestMs() const { return std::max(0.0, longestMs_); }

private:
    QTimer ticker_;
    QElapsedTimer last_;
    double longestMs_ = 0;
};

void waitUntil(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

struct Run {
    double msPerRecord = 0;
    double stallMs = 0;
    int rows = 0;
};

// One download of every record of the reader into the dialog's list.
Run download(CKestrixDlg &dialog, StallMeter &stalls, std::size_t records)
{
    std::vector<qint64> arrivals;
    QElapsedTimer clock;
    clock.start();
    const auto connection = QObject::connect(&dialog.recordList(), &QAbstractItemModel::rowsInserted,
                                             [&] { arrivals.push_back(clock.nsecsElapsed()); });
    const int before = dialog.recordList().rowCount();
    stalls.reset();
    dialog.button(IDC_READ_ALL)->click();
    waitUntil([&] { return !dialog.controller().busy(); });
    QObject::disconnect(connection);
    Run run;
    run.stallMs = stalls.longestMs();
    run.rows = dialog.recordList().rowCount() - before;
    if (arrivals.size() >= 2)
        run.msPerRecord = (arrivals.back() - arrivals.front()) / 1e6 / static_cast<double>(arrivals.size() - 1);
    (void)records;
    return run;
}

void row(const char *what, const Run &run, std::size_t records)
{
    const double ratio = run.msPerRecord / 30.0;
    const bool complete = run.rows == static_cast<int>(records);
    std::printf("| download of %zu records through the dialog, %s | %.2f ms per record, %.3fx the 30 ms floor | "
                "at most %.2fx the floor (31.5 ms) | %s |\n",
                records, what, run.msPerRecord, ratio, kGoalRatio,
                !complete             ? "no: records missing"
                : ratio <= kGoalRatio ? "met"
                                      : "missed");
    std::printf("| longest stall of the user-interface thread during it, %s | %.1f ms | under %.0f ms | %s |\n", what,
                run.stallMs, kStallGoalMs, run.stallMs < kStallGoalMs ? "met" : "missed");
}

} // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::size_t records = 1000;
    std::size_t preloaded = 60000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--records") == 0)
            records = std::strtoul(argv[i + 1], nullptr, 10);
        else if (std::strcmp(argv[i], "--listed") == 0)
            preloaded = std::strtoul(argv[i + 1], nullptr, 10);
    }
    if (records < 2 || records > kestsim::kMaxRecords) {
        std::fprintf(stderr, "usage: %s [--records N] [--listed ROWS]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);

    kestsim::Simulator sim;
    kestsim::ReaderOptions options;
    options.records = kestsim::sampleRecords(records);
    sim.addReader(3, std::move(options));
    ::setenv("KESTLINK_PORT_DIR", sim.portDirectory().c_str(), 1);

    BenchToolkit toolkit;
    CKestrixDlg dialog(toolkit);
    dialog.show();
    StallMeter stalls;
    dialog.button(IDC_CONNECT)->click();
    waitUntil([&] { return !dialog.controller().busy(); });
    if (toolkit.said != std::vector<std::string>{"连接成功！"}) {
        std::fprintf(stderr, "could not connect to the virtual reader in %s\n", sim.portDirectory().c_str());
        return 1;
    }

    std::printf("Download through the dialog: %zu records at 115200 baud, offscreen; the pace is where the table "
                "takes each row\n\n",
                records);
    const Run empty = download(dialog, stalls, records);

    std::vector<RowTexts> listed;
    listed.reserve(preloaded);
    const auto sample = kestsim::sampleRecords(1)[0];
    TagRecord record;
    std::memcpy(&record, sample.data(), sizeof record);
    for (std::size_t i = 0; i < preloaded; ++i)
        listed.push_back(rowFromRecord(record, static_cast<std::int32_t>(i) + 1));
    dialog.controller().clearList();
    dialog.controller().showRows(std::move(listed));
    const Run full = download(dialog, stalls, records);

    row("into an empty list", empty, records);
    row(("with " + std::to_string(preloaded) + " rows listed").c_str(), full, records);
    KX_Close();
    return 0;
}

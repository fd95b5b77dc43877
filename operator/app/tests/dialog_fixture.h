// SPDX-License-Identifier: MIT
// The real dialog, offscreen, driving the operator's steps with a scripted
// toolkit whose posted tasks go through Qt's event loop, the real library
// and a virtual reader on COM3.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <cstdlib>
#include <memory>

#include "dialog_template.h"
#include "kestlink.h"
#include "qt_kestrix_dlg.h"
#include "kestsim/sample_records.h"
#include "kestsim/simulator.h"
#include "kestsim/virtual_reader.h"
#include "record_list_model.h"
#include "kestrix_testing/scripted_toolkit.h"

namespace kestrix {

// The scripted toolkit of the steps' tests, its tasks run by Qt's event loop
// as the real toolkit's are.
class QtScriptedToolkit : public test::ScriptedToolkit {
public:
    void post(std::function<void()> task) override
    {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
    }
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KX_Close();
        ::setenv("KESTLINK_PORT_DIR", sim.portDirectory().c_str(), 1);
        dialog = std::make_unique<CKestrixDlg>(toolkit);
        dialog->compareTable().count = 0;
        dialog->show();
    }
    void TearDown() override
    {
        dialog.reset();
        KX_Close();
        ::unsetenv("KESTLINK_PORT_DIR");
    }

    kestsim::VirtualReader &addReader(std::size_t records, int com = 3)
    {
        kestsim::ReaderOptions options;
        options.records = kestsim::sampleRecords(records);
        options.baud = 0;
        return sim.addReader(com, std::move(options));
    }

    // Runs the event loop until the condition holds; false after a minute.
    static bool waitFor(const std::function<bool()> &done)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > 60'000)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }
    void settle()
    {
        ASSERT_TRUE(waitFor([this] { return !dialog->controller().busy(); })) << "the steps hang";
    }

    // A reader on COM3, connected by pressing "连接设备".
    kestsim::VirtualReader &connectedReader(std::size_t records)
    {
        auto &reader = addReader(records);
        toolkit.forget();
        click(IDC_CONNECT);
        settle();
        EXPECT_EQ(toolkit.texts(), std::vector<std::string>{"连接成功！"});
        toolkit.forget();
        reader.clearRequests();
        return reader;
    }

    void click(int id) { dialog->button(id)->click(); }
    void type(int id, const QString &text) { dialog->edit(id)->setText(text); }
    QString cell(int row, int column) const { return dialog->recordList().displayText(row, column); }
    int rows() const { return dialog->recordList().rowCount(); }

    kestsim::Simulator sim;
    QtScriptedToolkit toolkit;
    std::unique_ptr<CKestrixDlg> dialog;
};

} // namespace kestrix

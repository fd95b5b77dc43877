// The real dialog, offscreen, with a scripted toolkit, the real library and a
// virtual reader on COM3.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cstdlib>
#include <memory>

#include "dialog_template.h"
#include "kestlink.h"
#include "kestrix_dlg.h"
#include "kestsim/sample_records.h"
#include "kestsim/simulator.h"
#include "kestsim/virtual_reader.h"
#include "record_list_model.h"
#include "scripted_toolkit.h"

namespace kestrix {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KX_Close();
        ::setenv("KESTLINK_PORT_DIR", sim.portDirectory().c_str(), 1);
        dialog = std::make_unique<CKestrixDlg>(toolkit);
        dialog->compareTable().count = 0;
        dialog->show();
        QObject::connect(dialog->progressBar(), &QProgressBar::valueChanged,
                         [this](int value) { progress.push_back(value); });
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
        options.baud = 0; // the wire's pace is not what these tests are about
        return sim.addReader(com, std::move(options));
    }

    // A reader on COM3, connected by pressing "连接设备".
    kestsim::VirtualReader &connectedReader(std::size_t records)
    {
        auto &reader = addReader(records);
        toolkit.forget();
        press(IDC_CONNECT);
        EXPECT_EQ(toolkit.texts(), std::vector<QString>{QString::fromUtf8("连接成功！")});
        toolkit.forget();
        reader.clearRequests();
        return reader;
    }

    void press(int id) { dialog->button(id)->click(); }
    void type(int id, const QString &text) { dialog->edit(id)->setText(text); }
    std::vector<QString> said() const { return toolkit.texts(); }
    static std::vector<QString> texts(std::initializer_list<const char *> list)
    {
        std::vector<QString> result;
        for (const char *t : list)
            result.push_back(QString::fromUtf8(t));
        return result;
    }
    QString cell(int row, int column) const { return dialog->recordList().displayText(row, column); }
    int rows() const { return dialog->recordList().rowCount(); }

    kestsim::Simulator sim;
    ScriptedToolkit toolkit;
    std::unique_ptr<CKestrixDlg> dialog;
    std::vector<int> progress;
};

} // namespace kestrix

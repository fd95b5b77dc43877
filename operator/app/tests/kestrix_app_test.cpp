// SPDX-License-Identifier: MIT
// The application object puts Qt's own texts (message box buttons, file
// dialogs) into Chinese. A program of its own: the application must be a
// KestrixApplication, and there can be but one.
#include "kestrix_app.h"

#include <QMessageBox>
#include <QPushButton>
#include <cstdlib>
#include <gtest/gtest.h>

namespace kestrix {
namespace {

class KestrixApp : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        app_ = new KestrixApplication(argc_, argv_);
    }
    static void TearDownTestSuite()
    {
        delete app_;
        app_ = nullptr;
    }

private:
    static inline char name_[] = "kestrix_app_tests";
    static inline char *argv_[] = {name_, nullptr};
    static inline int argc_ = 1;
    static inline KestrixApplication *app_ = nullptr;
};

TEST_F(KestrixApp, MessageBoxButtonsAreChinese)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Kestrix"), QStringLiteral("Delete all data ?"),
                    QMessageBox::Yes | QMessageBox::No);
    const QString yes = box.button(QMessageBox::Yes)->text();
    const QString no = box.button(QMessageBox::No)->text();
    EXPECT_TRUE(yes.contains(QStringLiteral("是"))) << yes.toStdString();
    EXPECT_TRUE(no.contains(QStringLiteral("否"))) << no.toStdString();
}

TEST_F(KestrixApp, FileDialogTextsAreChinese)
{
    const QString label = QCoreApplication::translate("QFileDialog", "File &name:");
    EXPECT_NE(label, QStringLiteral("File &name:"));
}

} // namespace
} // namespace kestrix

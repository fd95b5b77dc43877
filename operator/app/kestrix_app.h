// SPDX-License-Identifier: MIT
// The application object: runs the dialog and ends when it closes.
#pragma once

#include <QApplication>
#include <QTranslator>

namespace kestrix {

class CKestrixApp : public QApplication {
    Q_OBJECT
public:
    CKestrixApp(int &argc, char **argv);

    // Runs the dialog modally; false: no further message loop is to run.
    bool InitInstance();

private:
    QTranslator qtTexts_; // Qt's own buttons and dialogs in Chinese
};

} // namespace kestrix

// SPDX-License-Identifier: MIT
// The application object: the program's name, version, icon and Qt's own
// texts in Chinese.
#pragma once

#include <QApplication>
#include <QTranslator>

namespace kestrix {

class KestrixApplication : public QApplication {
    Q_OBJECT
public:
    KestrixApplication(int &argc, char **argv);

private:
    QTranslator qtTexts_; // Qt's own buttons and dialogs in Chinese
};

} // namespace kestrix

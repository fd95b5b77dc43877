// The application object: runs the dialog and ends when it closes.
#pragma once

#include <QApplication>

namespace kestrix {

class CKestrixApp : public QApplication {
    Q_OBJECT
public:
    CKestrixApp(int &argc, char **argv);

    // Runs the dialog modally; false: no further message loop is to run.
    bool InitInstance();
};

} // namespace kestrix

// SPDX-License-Identifier: MIT
#include "kestrix_app.h"
#include "qt_kestrix_dlg.h"
#include "qt_toolkit.h"
#include "session_end.h"

int main(int argc, char **argv)
{
    kestrix::KestrixApplication app(argc, argv);
    kestrix::QtToolkit toolkit;
    kestrix::CKestrixDlg dialog(toolkit);
    toolkit.setOwner(&dialog);
    // SIGTERM, SIGHUP, SIGINT and the session manager end the event loop.
    kestrix::SessionEnd sessionEnd;
    // The program ends when its one window closes.
    dialog.show();
    return app.exec();
}

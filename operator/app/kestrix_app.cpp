#include "kestrix_app.h"

#include "app_icon.h"
#include "kestrix_dlg.h"
#include "qt_toolkit.h"

namespace kestrix {

CKestrixApp::CKestrixApp(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Kestrix"));
    setApplicationVersion(QStringLiteral(KESTRIX_VERSION));
    setDesktopFileName(QStringLiteral("kestrix"));
    setWindowIcon(kestrixIcon());
}

bool CKestrixApp::InitInstance()
{
    QtToolkit toolkit;
    CKestrixDlg dialog(toolkit);
    dialog.exec(); // the result does not matter: the program ends either way
    return false;
}

} // namespace kestrix

// SPDX-License-Identifier: MIT
#include "kestrix_app.h"

#include <QLibraryInfo>

#include "app_icon.h"

namespace kestrix {

KestrixApplication::KestrixApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Kestrix"));
    setApplicationVersion(QStringLiteral(KESTRIX_VERSION));
    setDesktopFileName(QStringLiteral("kestrix"));
    setWindowIcon(kestrixIcon());
    // The program speaks Chinese whatever the desktop's language, so Qt's
    // message box buttons and file dialogs must too. Without the file
    // (qt6-translations-l10n on Debian) they stay English and all else works.
    if (qtTexts_.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&qtTexts_);
}

} // namespace kestrix

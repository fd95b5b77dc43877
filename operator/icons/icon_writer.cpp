// SPDX-License-Identifier: MIT
// Build-time tool: writes the program's icon as PNG files in the hicolor
// layout (<dir>/<N>x<N>/apps/kestrix.png) so that they can be installed for
// desktop menus, which cannot ask the program itself for its icon.
#include <QDir>
#include <QString>

#include <cstdio>

#include "app_icon.h"

int main(int argc, char *argv[])
{
    // QImage and QPainter need no application object; without one the tool
    // cannot depend on a display or a platform plugin.
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrix_icon_writer <output directory>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int size : kestrix::kIconSizes) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        const QString file = dir + QStringLiteral("/kestrix.png");
        // A failed write must fail the build, or an empty icon gets installed.
        if (!QDir().mkpath(dir) || !kestrix::kestrixIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "kestrix_icon_writer: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}

// SPDX-License-Identifier: MIT
#include "dialog_template.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>

namespace kestrix {

QFont dialogFont()
{
    // Fonts with the Song (Ming) style first, as the dialog was drawn for one.
    static const char *const preferred[] = {"宋体",
                                            "SimSun",
                                            "NSimSun",
                                            "AR PL UMing CN",
                                            "AR PL SungtiL GB",
                                            "Noto Serif CJK SC",
                                            "Source Han Serif SC",
                                            "Noto Sans CJK SC",
                                            "WenQuanYi Zen Hei",
                                            "WenQuanYi Micro Hei",
                                            "Droid Sans Fallback"};
    QString family;
    for (const char *name : preferred) {
        if (QFontDatabase::hasFamily(QString::fromUtf8(name))) {
            family = QString::fromUtf8(name);
            break;
        }
    }
    if (family.isEmpty()) {
        const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        family = chinese.isEmpty() ? QString::fromUtf8("宋体") : chinese.first();
    }
    QFont font(family);
    font.setPointSize(9);
    return font;
}

DialogUnits::DialogUnits(const QFont &font)
{
    const QFontMetrics metrics(font);
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    // Average width rounded as the desktop rounds it: (sum / 26 + 1) / 2.
    baseX_ = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    baseY_ = metrics.height();
    if (baseX_ <= 0)
        baseX_ = 6;
    if (baseY_ <= 0)
        baseY_ = 12;
}

QRect DialogUnits::toPixels(const DialogRect &units) const
{
    const int left = units.x * baseX_ / 4;
    const int top = units.y * baseY_ / 8;
    const int right = (units.x + units.width) * baseX_ / 4;
    const int bottom = (units.y + units.height) * baseY_ / 8;
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogUnits::toPixels(int width, int height) const { return QSize(width * baseX_ / 4, height * baseY_ / 8); }

} // namespace kestrix

// SPDX-License-Identifier: MIT
// The main dialog's template (main_dialog.h) on Qt: its font, and dialog
// units turned into pixels.
#pragma once

#include <QFont>
#include <QRect>

#include "main_dialog.h"

namespace kestrix {

// The dialog font: "宋体" 9 pt, or an installed Chinese font when it is missing.
QFont dialogFont();

// Dialog units to pixels through the font, as the desktop it was made for
// maps them: a horizontal unit is a quarter of the average width of the 52
// Latin letters, a vertical unit an eighth of the font's height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont &font);
    QRect toPixels(const DialogRect &units) const;
    QSize toPixels(int width, int height) const;
    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }

private:
    int baseX_;
    int baseY_;
};

} // namespace kestrix

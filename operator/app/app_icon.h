// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QImage>

namespace kestrix {

// The sizes the icon is drawn at; each one has its own layout so that the
// small sizes stay sharp instead of being a blurred copy of the large one.
inline constexpr int kIconSizes[] = {16, 32, 48, 64};

// The program's icon (a handheld reader sending radio waves to a tag), drawn
// with QPainter so the program ships no image files of its own.
QIcon kestrixIcon();

// One size of the icon, for the build step that installs the PNG files. A
// size outside kIconSizes gets the nearest larger layout scaled to fit.
QImage kestrixIconImage(int size);

} // namespace kestrix

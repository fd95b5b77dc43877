// SPDX-License-Identifier: MIT
#include "app_icon.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QRectF>

#include <iterator>

namespace kestrix {
namespace {

// Everything the painter needs for one size, in that size's own pixels.
// Edges of filled shapes sit on whole pixels and each size leaves out what
// would only smear at its scale (the tag at 16).
struct Layout {
    int size;
    QRectF tile;
    qreal tileRadius;
    QRectF body;
    qreal bodyRadius;
    QRectF screen;
    qreal screenRadius;
    QRectF button;
    qreal buttonRadius; // 0 at 16 pixels: a round 2-pixel dot is a smudge
    QPointF waveCentre; // the reader's antenna, where the arcs start
    qreal waveWidth;
    qreal waveRadii[2];
    QRectF tag; // empty: no tag at this size
    QRectF chip;
};

// clang-format off
const Layout kLayouts[] = {
    {16, {0, 0, 16, 16}, 3.0, {2, 3, 6, 11}, 1.5, {3, 4, 4, 3}, 0.5, {4, 10, 2, 2}, 0,
     {8, 8}, 1.25, {2.5, 5.5}, {}, {}},
    {32, {1, 1, 30, 30}, 6.0, {5, 7, 10, 20}, 2.5, {7, 9, 6, 6}, 1.0, {8, 19, 4, 4}, 2,
     {15, 13}, 2.0, {4.5, 9.0}, {25, 8, 5, 10}, {26, 10, 3, 3}},
    {48, {1, 1, 46, 46}, 9.0, {8, 10, 15, 30}, 3.5, {11, 14, 9, 9}, 1.5, {13, 29, 5, 5}, 2.5,
     {23, 19}, 2.6, {6.5, 12.5}, {37, 11, 8, 15}, {39, 14, 4, 4}},
    {64, {2, 2, 60, 60}, 12.0, {11, 14, 20, 40}, 5.0, {15, 19, 12, 12}, 2.0, {18, 39, 6, 6}, 3,
     {31, 25}, 3.2, {8.0, 15.0}, {49, 15, 10, 20}, {51, 18, 6, 5}},
};
// clang-format on

const QColor kTileTop(0x2f, 0x93, 0xe0);
const QColor kTileBottom(0x15, 0x5c, 0xb0);
const QColor kBody(0xf7, 0xf9, 0xfc);
const QColor kScreen(0x12, 0x3a, 0x63);
const QColor kAccent(0xff, 0x98, 0x1a);
const QColor kWave(0xff, 0xff, 0xff);

void paintLayout(QPainter &p, const Layout &l)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    QLinearGradient tileFill(l.tile.topLeft(), l.tile.bottomLeft());
    tileFill.setColorAt(0, kTileTop);
    tileFill.setColorAt(1, kTileBottom);
    p.setBrush(tileFill);
    p.drawRoundedRect(l.tile, l.tileRadius, l.tileRadius);

    p.setBrush(kBody);
    p.drawRoundedRect(l.body, l.bodyRadius, l.bodyRadius);
    p.setBrush(kScreen);
    p.drawRoundedRect(l.screen, l.screenRadius, l.screenRadius);
    p.setBrush(kAccent);
    p.drawRoundedRect(l.button, l.buttonRadius, l.buttonRadius);

    // Arcs open to the right, towards the tag: a quarter turn each side
    // would touch the tile's edge, so they span 100 degrees.
    QPen wavePen(kWave, l.waveWidth, Qt::SolidLine, Qt::RoundCap);
    p.setPen(wavePen);
    p.setBrush(Qt::NoBrush);
    for (qreal r : l.waveRadii) {
        const QRectF box(l.waveCentre.x() - r, l.waveCentre.y() - r, 2 * r, 2 * r);
        p.drawArc(box, -50 * 16, 100 * 16);
    }

    if (!l.tag.isEmpty()) {
        p.setPen(Qt::NoPen);
        p.setBrush(kBody);
        const qreal tagRadius = l.size / 32.0;
        p.drawRoundedRect(l.tag, tagRadius, tagRadius);
        p.setBrush(kAccent);
        p.drawRect(l.chip);
    }
}

const Layout &layoutFor(int size)
{
    for (const Layout &l : kLayouts)
        if (l.size >= size)
            return l;
    return kLayouts[std::size(kLayouts) - 1];
}

} // namespace

QImage kestrixIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const Layout &l = layoutFor(size);
    QPainter p(&image);
    if (l.size != size)
        p.scale(qreal(size) / l.size, qreal(size) / l.size);
    paintLayout(p, l);
    return image;
}

QIcon kestrixIcon()
{
    QIcon icon;
    for (int size : kIconSizes)
        icon.addPixmap(QPixmap::fromImage(kestrixIconImage(size)));
    return icon;
}

} // namespace kestrix

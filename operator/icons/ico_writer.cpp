// SPDX-License-Identifier: MIT
// Build-time tool: writes the program's icon as one Windows .ico file holding
// every drawn size, for the Windows front end's resource script (windres
// embeds the file as it is).
//
// Entries of 16, 32 and 48 pixels are 32-bit DIBs (BGRA plus the 1-bit AND
// mask); the 64-pixel entry is a PNG. The small sizes are the ones title
// bars, the taskbar, Alt+Tab and Explorer ask for; as DIBs they load in
// every reader of icons (Windows' own code, Wine, resource editors) without
// a PNG decoder, and the AND mask gives a transparent edge where alpha is
// not used. Only the larger views of Vista and later want 64 pixels, and
// those read PNG entries; as a PNG it takes a fraction of the 16 KiB a DIB
// would.
#include <QByteArray>
#include <QBuffer>
#include <QImage>
#include <QSaveFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <iterator>

#include "app_icon.h"

namespace {

constexpr int kFirstPngSize = 64;

void putU8(QByteArray &out, unsigned v) { out.append(char(v & 0xff)); }

void putU16(QByteArray &out, unsigned v)
{
    putU8(out, v);
    putU8(out, v >> 8);
}

void putU32(QByteArray &out, std::uint32_t v)
{
    putU16(out, v & 0xffff);
    putU16(out, v >> 16);
}

// An icon DIB: a BITMAPINFOHEADER whose height counts both bitmaps, the
// colour bitmap (straight, not premultiplied, BGRA; rows bottom-up), then
// the AND mask (1 bit a pixel, leftmost pixel in the high bit, rows padded
// to 32 bits, bottom-up). A mask bit of 1 lets the background through.
QByteArray dibEntry(const QImage &argb)
{
    const int w = argb.width();
    const int h = argb.height();
    const int maskStride = (w + 31) / 32 * 4;
    const std::uint32_t imageBytes = std::uint32_t(w) * h * 4 + std::uint32_t(maskStride) * h;

    QByteArray out;
    putU32(out, 40);         // biSize: BITMAPINFOHEADER
    putU32(out, w);          // biWidth
    putU32(out, 2 * h);      // biHeight: colour bitmap and mask
    putU16(out, 1);          // biPlanes
    putU16(out, 32);         // biBitCount
    putU32(out, 0);          // biCompression: BI_RGB
    putU32(out, imageBytes); // biSizeImage
    putU32(out, 0);          // biXPelsPerMeter
    putU32(out, 0);          // biYPelsPerMeter
    putU32(out, 0);          // biClrUsed
    putU32(out, 0);          // biClrImportant

    for (int y = h - 1; y >= 0; --y) {
        const auto *row = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            putU8(out, qBlue(row[x]));
            putU8(out, qGreen(row[x]));
            putU8(out, qRed(row[x]));
            putU8(out, qAlpha(row[x]));
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        const auto *row = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        QByteArray bits(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(row[x]) == 0)
                bits[x / 8] = char(bits[x / 8] | (0x80 >> (x % 8)));
        out.append(bits);
    }
    return out;
}

QByteArray pngEntry(const QImage &argb)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    if (!argb.save(&buffer, "PNG"))
        out.clear();
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    // Like the PNG writer, this needs no application object and no display.
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrix_ico_writer <output .ico file>\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);

    constexpr int count = int(std::size(kestrix::kIconSizes));
    QByteArray entries[count];
    for (int i = 0; i < count; ++i) {
        const int size = kestrix::kIconSizes[i];
        // Both entry kinds hold straight alpha; the painter's premultiplied
        // pixels would darken every soft edge.
        const QImage argb = kestrix::kestrixIconImage(size).convertToFormat(QImage::Format_ARGB32);
        entries[i] = size >= kFirstPngSize ? pngEntry(argb) : dibEntry(argb);
        if (entries[i].isEmpty()) {
            std::fprintf(stderr, "kestrix_ico_writer: cannot encode the %d-pixel image\n", size);
            return 1;
        }
    }

    QByteArray ico;
    putU16(ico, 0);     // idReserved
    putU16(ico, 1);     // idType: icon (2 would be a cursor)
    putU16(ico, count); // idCount
    std::uint32_t offset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        const int size = kestrix::kIconSizes[i];
        putU8(ico, size);               // bWidth (0 would mean 256)
        putU8(ico, size);               // bHeight
        putU8(ico, 0);                  // bColorCount: no palette
        putU8(ico, 0);                  // bReserved
        putU16(ico, 1);                 // wPlanes
        putU16(ico, 32);                // wBitCount
        putU32(ico, entries[i].size()); // dwBytesInRes
        putU32(ico, offset);            // dwImageOffset
        offset += entries[i].size();
    }
    for (const QByteArray &entry : entries)
        ico.append(entry);

    // QSaveFile: a failed or interrupted write leaves no truncated icon for
    // windres to embed, and fails the build.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(ico) != ico.size() || !out.commit()) {
        std::fprintf(stderr, "kestrix_ico_writer: cannot write %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}

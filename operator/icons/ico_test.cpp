// SPDX-License-Identifier: MIT
// Reads back the kestrix.ico the build wrote. Windows picks an entry by its
// directory fields and then trusts the image's own header, so the container
// is checked byte by byte here; the pixels are decoded by Qt's ICO and PNG
// readers, which share no code with the writer.
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QList>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>

#include "app_icon.h"

namespace {

const char kIconFile[] = KESTRIX_ICON_FILE;
const int kIconCount = int(std::size(kestrix::kIconSizes));

unsigned u8(const QByteArray &b, qsizetype at) { return static_cast<unsigned char>(b.at(at)); }

unsigned u16(const QByteArray &b, qsizetype at) { return u8(b, at) | u8(b, at + 1) << 8; }

std::uint32_t u32(const QByteArray &b, qsizetype at) { return u16(b, at) | std::uint32_t(u16(b, at + 2)) << 16; }

std::uint32_t u32be(const QByteArray &b, qsizetype at)
{
    return std::uint32_t(u8(b, at)) << 24 | u8(b, at + 1) << 16 | u8(b, at + 2) << 8 | u8(b, at + 3);
}

struct Entry {
    int width;
    int height;
    unsigned colours;
    unsigned reserved;
    unsigned planes;
    unsigned bitCount;
    std::uint32_t bytes;
    std::uint32_t offset;
};

QByteArray readIconFile()
{
    QFile file(QString::fromLocal8Bit(kIconFile));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The directory, with every entry's data lying inside the file.
QList<Entry> readDirectory(const QByteArray &ico)
{
    QList<Entry> entries;
    if (ico.size() < 6)
        return entries;
    const int count = int(u16(ico, 4));
    if (ico.size() < 6 + 16 * count)
        return entries;
    for (int i = 0; i < count; ++i) {
        const qsizetype at = 6 + 16 * i;
        // A byte of 0 stands for 256 pixels.
        const int w = u8(ico, at) ? int(u8(ico, at)) : 256;
        const int h = u8(ico, at + 1) ? int(u8(ico, at + 1)) : 256;
        entries.append({w, h, u8(ico, at + 2), u8(ico, at + 3), u16(ico, at + 4), u16(ico, at + 6), u32(ico, at + 8),
                        u32(ico, at + 12)});
    }
    return entries;
}

bool isPng(const QByteArray &data) { return data.startsWith(QByteArray::fromRawData("\x89PNG\r\n\x1a\n", 8)); }

// The first pixel where two images differ, both read as straight ARGB (the
// form the file stores), or an empty string when none does.
std::string firstDifference(const QImage &expected, const QImage &actual)
{
    if (expected.size() != actual.size())
        return "sizes differ";
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < e.height(); ++y)
        for (int x = 0; x < e.width(); ++x)
            if (e.pixel(x, y) != a.pixel(x, y))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + "): expected " +
                       QString::number(e.pixel(x, y), 16).toStdString() + ", read " +
                       QString::number(a.pixel(x, y), 16).toStdString();
    return {};
}

TEST(WindowsIcon, HoldsEachDrawnSizeOnceAt32BitsInOneIconDirectory)
{
    const QByteArray ico = readIconFile();
    ASSERT_GE(ico.size(), 6) << kIconFile;
    EXPECT_EQ(u16(ico, 0), 0u); // idReserved
    EXPECT_EQ(u16(ico, 2), 1u); // idType: 1 is an icon, 2 a cursor
    ASSERT_EQ(int(u16(ico, 4)), kIconCount);

    const QList<Entry> entries = readDirectory(ico);
    ASSERT_EQ(entries.size(), kIconCount);
    QList<int> sizes;
    for (const Entry &e : entries) {
        EXPECT_EQ(e.width, e.height);
        EXPECT_EQ(e.colours, 0u) << e.width; // no palette
        EXPECT_EQ(e.reserved, 0u) << e.width;
        EXPECT_EQ(e.planes, 1u) << e.width;
        EXPECT_EQ(e.bitCount, 32u) << e.width;
        sizes.append(e.width);
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, QList<int>(std::begin(kestrix::kIconSizes), std::end(kestrix::kIconSizes)));
}

TEST(WindowsIcon, EntriesLieInsideTheFileWithoutOverlapping)
{
    const QByteArray ico = readIconFile();
    QList<Entry> entries = readDirectory(ico);
    ASSERT_EQ(entries.size(), kIconCount);
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.offset < b.offset; });
    std::uint64_t end = 6 + 16 * std::uint64_t(entries.size()); // past the directory
    for (const Entry &e : entries) {
        EXPECT_GT(e.bytes, 0u) << e.width;
        EXPECT_GE(e.offset, end) << e.width;
        end = std::uint64_t(e.offset) + e.bytes;
        EXPECT_LE(end, std::uint64_t(ico.size())) << e.width;
    }
    // Nothing trails the last entry: a longer file means a miscounted size.
    EXPECT_EQ(end, std::uint64_t(ico.size()));
}

TEST(WindowsIcon, EachEntrysOwnHeaderAgreesWithItsDirectoryEntry)
{
    const QByteArray ico = readIconFile();
    const QList<Entry> entries = readDirectory(ico);
    ASSERT_EQ(entries.size(), kIconCount);
    for (const Entry &e : entries) {
        ASSERT_LE(std::uint64_t(e.offset) + e.bytes, std::uint64_t(ico.size()));
        const QByteArray data = ico.mid(e.offset, e.bytes);
        SCOPED_TRACE(e.width);
        if (isPng(data)) {
            // IHDR comes first: size, then bit depth 8 and colour type 6
            // (RGBA): an opaque PNG would lose the rounded corners.
            ASSERT_GE(data.size(), 33);
            EXPECT_EQ(data.mid(12, 4), QByteArray("IHDR"));
            EXPECT_EQ(u32be(data, 16), std::uint32_t(e.width));
            EXPECT_EQ(u32be(data, 20), std::uint32_t(e.height));
            EXPECT_EQ(u8(data, 24), 8u);
            EXPECT_EQ(u8(data, 25), 6u);
            continue;
        }
        // A DIB: BITMAPINFOHEADER, the height counting colour bitmap and
        // mask, then exactly the two bitmaps.
        ASSERT_GE(data.size(), 40);
        EXPECT_EQ(u32(data, 0), 40u);
        EXPECT_EQ(u32(data, 4), std::uint32_t(e.width));
        EXPECT_EQ(u32(data, 8), std::uint32_t(2 * e.height));
        EXPECT_EQ(u16(data, 12), 1u);
        EXPECT_EQ(u16(data, 14), 32u);
        EXPECT_EQ(u32(data, 16), 0u); // BI_RGB
        const std::uint32_t colourBytes = std::uint32_t(e.width) * e.height * 4;
        const std::uint32_t maskBytes = std::uint32_t((e.width + 31) / 32 * 4) * e.height;
        EXPECT_EQ(std::uint32_t(data.size()), 40 + colourBytes + maskBytes);
        const std::uint32_t sizeImage = u32(data, 20);
        EXPECT_TRUE(sizeImage == 0 || sizeImage == colourBytes + maskBytes) << sizeImage;
    }
}

TEST(WindowsIcon, DibMasksLetThroughExactlyTheTransparentPixels)
{
    // Where alpha is not used (old or plain drawing paths) the AND mask alone
    // shapes the icon; a wrong bit order or row padding draws a garbled edge
    // that the alpha channel hides everywhere else.
    const QByteArray ico = readIconFile();
    const QList<Entry> entries = readDirectory(ico);
    ASSERT_EQ(entries.size(), kIconCount);
    int dibs = 0;
    for (const Entry &e : entries) {
        const QByteArray data = ico.mid(e.offset, e.bytes);
        if (isPng(data))
            continue;
        ++dibs;
        SCOPED_TRACE(e.width);
        const int w = e.width;
        const int h = e.height;
        const int stride = (w + 31) / 32 * 4;
        ASSERT_EQ(data.size(), 40 + w * h * 4 + stride * h);
        const QImage expected = kestrix::kestrixIconImage(w).convertToFormat(QImage::Format_ARGB32);
        int wrong = 0;
        for (int row = 0; row < h; ++row) {
            const int y = h - 1 - row; // both bitmaps are stored bottom-up
            for (int x = 0; x < w; ++x) {
                const bool through = u8(data, 40 + w * h * 4 + row * stride + x / 8) & (0x80 >> (x % 8));
                wrong += through != (qAlpha(expected.pixel(x, y)) == 0);
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    // The small sizes are DIBs; a writer that made them PNG would skip this.
    EXPECT_GT(dibs, 0);
}

TEST(WindowsIcon, EveryEntryDecodesToThePixelsDrawnForItsSize)
{
    QImageReader reader(QString::fromLocal8Bit(kIconFile), "ico");
    ASSERT_TRUE(reader.canRead()) << qPrintable(reader.errorString());
    ASSERT_EQ(reader.imageCount(), kIconCount);
    QList<int> seen;
    for (int i = 0; i < kIconCount; ++i) {
        ASSERT_TRUE(reader.jumpToImage(i));
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << i << ": " << qPrintable(reader.errorString());
        ASSERT_EQ(image.width(), image.height()) << i;
        SCOPED_TRACE(image.width());
        EXPECT_TRUE(image.hasAlphaChannel());
        EXPECT_EQ(firstDifference(kestrix::kestrixIconImage(image.width()), image), "");
        seen.append(image.width());
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, QList<int>(std::begin(kestrix::kIconSizes), std::end(kestrix::kIconSizes)));
}

} // namespace

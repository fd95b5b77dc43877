// SPDX-License-Identifier: MIT
// The icon is drawn by hand for each size; these tests catch a layout that
// stops fitting its size, a part that goes missing or is painted over, and
// an icon that lacks one of its sizes.
#include <QGuiApplication>
#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

#include "app_icon.h"

namespace {

bool hasExactPixel(const QImage &image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                return true;
    return false;
}

const QRgb kScreen = qRgb(0x12, 0x3a, 0x63);
const QRgb kAccent = qRgb(0xff, 0x98, 0x1a);
const QRgb kBody = qRgb(0xf7, 0xf9, 0xfc);

class EachSize : public testing::TestWithParam<int> {};

TEST_P(EachSize, FillsItsSquareWithRoundedCorners)
{
    const int size = GetParam();
    const QImage image = kestrix::kestrixIconImage(size);
    ASSERT_EQ(image.size(), QSize(size, size));
    EXPECT_TRUE(image.hasAlphaChannel());
    // The tile is rounded: its corner pixel lets the desktop show through.
    EXPECT_LT(qAlpha(image.pixel(0, 0)), 255);
    EXPECT_LT(qAlpha(image.pixel(size - 1, size - 1)), 255);
    EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
}

TEST_P(EachSize, ShowsScreenBodyAndButtonInTheirOwnColours)
{
    // Each part must be drawn, inside the icon and not covered by another.
    const QImage image = kestrix::kestrixIconImage(GetParam()).convertToFormat(QImage::Format_ARGB32);
    EXPECT_TRUE(hasExactPixel(image, kScreen));
    EXPECT_TRUE(hasExactPixel(image, kAccent));
    EXPECT_TRUE(hasExactPixel(image, kBody));
}

INSTANTIATE_TEST_SUITE_P(Icon, EachSize, testing::ValuesIn(kestrix::kIconSizes));

TEST(Icon, SmallestButtonIsASharpSquare)
{
    // At 16 pixels anything off the pixel grid smears over its neighbours:
    // the 2-pixel button must come out as four pixels of pure colour.
    const QImage image = kestrix::kestrixIconImage(16).convertToFormat(QImage::Format_ARGB32);
    int accent = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            accent += image.pixel(x, y) == kAccent;
    EXPECT_EQ(accent, 4);
}

TEST(Icon, SizeWithoutItsOwnLayoutIsScaledToFit)
{
    const QImage image = kestrix::kestrixIconImage(128).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(128, 128));
    EXPECT_EQ(qAlpha(image.pixel(64, 64)), 255);
    EXPECT_EQ(qAlpha(image.pixel(127, 64)), 0); // the 64 layout's 2-pixel margin, doubled
}

TEST(Icon, OffersEveryDrawnSize)
{
    const QList<QSize> sizes = kestrix::kestrixIcon().availableSizes();
    for (int size : kestrix::kIconSizes)
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

} // namespace

int main(int argc, char **argv)
{
    // QIcon holds QPixmaps, which need a GUI application; offscreen lets the
    // test run without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

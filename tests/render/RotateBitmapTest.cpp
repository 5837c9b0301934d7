// Bitmap rotation: result sizes, where source pixels land, fill values, and exact pixel values
// for every supported pixel format.
#include "XRotateBitmap.h"
#include <gtest/gtest.h>
#include <cmath>
#include <random>

using namespace qv;

namespace {

// Every pixel of a 24-bit bitmap carries its own position, so a landing place can be checked.
PackedBitmap numbered(int w, int h)
{
    PackedBitmap b(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, uint32_t(y * 1000 + x + 1)); // never the white fill
    return b;
}

PackedBitmap randomBitmap(int w, int h, int bpp, uint32_t seed)
{
    PackedBitmap b(w, h, bpp);
    std::mt19937 gen(seed);
    const uint32_t mask = bpp >= 32 ? 0xFFFFFFFFu : (1u << (bpp == 15 ? 16 : bpp)) - 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, gen() & mask);
    if (bpp <= 8)
        b.palette.assign(size_t(1) << bpp, qRgb(0, 0, 0));
    return b;
}

bool samePixels(const PackedBitmap& a, const PackedBitmap& b)
{
    if (a.width != b.width || a.height != b.height || a.bitsPerPixel != b.bitsPerPixel)
        return false;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

std::string rotateError(const PackedBitmap& b)
{
    try {
        RotateBitmap(b, 900, false, true);
    } catch (const ERotateError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(RotateBitmap, QuarterTurnWithGrowSwapsSidesAndTurnsCounterClockwise)
{
    const PackedBitmap src = numbered(100, 50);
    const PackedBitmap out = RotateBitmap(src, 900, false, true);
    ASSERT_EQ(out.width, 50);
    ASSERT_EQ(out.height, 100);
    // Counter-clockwise: the source's right column becomes the top row, its top-right corner
    // the top-left one, its top-left corner the bottom-left one.
    EXPECT_EQ(out.pixel(0, 0), src.pixel(99, 0));
    EXPECT_EQ(out.pixel(49, 0), src.pixel(99, 49));
    EXPECT_EQ(out.pixel(0, 99), src.pixel(0, 0));
    for (int r = 0; r < 100; ++r)
        for (int c = 0; c < 50; ++c)
            ASSERT_EQ(out.pixel(c, r), src.pixel(99 - r, c)) << c << "," << r;
}

TEST(RotateBitmap, QuarterTurnWithoutGrowKeepsSizeAndFillsCorners)
{
    const PackedBitmap src = numbered(100, 50);
    const PackedBitmap out = RotateBitmap(src, 900, false, false);
    ASSERT_EQ(out.width, 100);
    ASSERT_EQ(out.height, 50);
    // The middle 50 x 50 of the source turns in place; 25 columns on each side are uncovered.
    for (int r = 0; r < 50; ++r) {
        for (int c = 0; c < 100; ++c) {
            const uint32_t want = c < 25 || c >= 75 ? 0xFFFFFFu : src.pixel(74 - r, c - 25);
            ASSERT_EQ(out.pixel(c, r), want) << c << "," << r;
        }
    }
}

TEST(RotateBitmap, AngleIsReducedToOneTurn)
{
    const PackedBitmap src = numbered(37, 23);
    EXPECT_TRUE(samePixels(RotateBitmap(src, -900, false, true), RotateBitmap(src, 2700, false, true)));
    EXPECT_TRUE(samePixels(RotateBitmap(src, 4500, false, true), RotateBitmap(src, 900, false, true)));
    EXPECT_TRUE(samePixels(RotateBitmap(src, -450, false, false), RotateBitmap(src, 3150, false, false)));
    for (int angle : {0, 3600, -3600, 7200}) {
        EXPECT_TRUE(samePixels(RotateBitmap(src, angle, false, true), src)) << angle;
        EXPECT_TRUE(samePixels(RotateBitmap(src, angle, false, false), src)) << angle;
    }
}

TEST(RotateBitmap, HalfwaySourcePointsRoundAwayFromZero)
{
    // 3 x 2 by 900 without grow maps result pixels onto source points -0.5, 0.5 and 1.5:
    // -0.5 must fall outside (fill), 0.5 must take pixel 1, 1.5 pixel 2.
    const PackedBitmap src = numbered(3, 2);
    const PackedBitmap out = RotateBitmap(src, 900, false, false);
    ASSERT_EQ(out.width, 3);
    ASSERT_EQ(out.height, 2);
    EXPECT_EQ(out.pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(out.pixel(1, 0), src.pixel(2, 1));
    EXPECT_EQ(out.pixel(2, 0), 0xFFFFFFu);
    EXPECT_EQ(out.pixel(1, 1), src.pixel(1, 1));
}

TEST(RotateBitmap, OddAngleGrowsToTheTurnedExtentAboutTheCentre)
{
    // cos 37 deg and sin 37 deg are 818 and 616 in 10 fraction bits:
    // (100*818 + 50*616 + 512) div 1024 = 110, (100*616 + 50*818 + 512) div 1024 = 100.
    PackedBitmap src(100, 50, 24);
    src.setPixel(89, 24, 0x0000FF); // 40 pixels right of the centre (49.5, 24.5)
    const PackedBitmap out = RotateBitmap(src, 370, false, true);
    ASSERT_EQ(out.width, 110);
    ASSERT_EQ(out.height, 100);
    // Turned counter-clockwise it lies up and to the right of the new centre (54.5, 49.5).
    const double wantX = 54.5 + 40 * std::cos(37 * M_PI / 180), wantY = 49.5 - 40 * std::sin(37 * M_PI / 180);
    int found = 0;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            if (out.pixel(x, y) == 0x0000FF) {
                ++found;
                EXPECT_NEAR(x, wantX, 1.0);
                EXPECT_NEAR(y, wantY, 1.0);
            }
    EXPECT_GE(found, 1);
    EXPECT_EQ(out.pixel(0, 0), 0xFFFFFFu);      // uncovered corners are white
    EXPECT_EQ(out.pixel(109, 99), 0xFFFFFFu);
    EXPECT_EQ(out.pixel(55, 50), 0u);            // the middle is picture
}

TEST(RotateBitmap, MirrorFlipsLeftToRight)
{
    const PackedBitmap src = numbered(5, 3);
    const PackedBitmap out = RotateBitmap(src, 0, true, true);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(out.pixel(x, y), src.pixel(4 - x, y));
    // Mirrored after turning: the quarter turn's top row read from the right.
    const PackedBitmap turned = RotateBitmap(src, 900, false, true);
    const PackedBitmap both = RotateBitmap(src, 900, true, true);
    for (int y = 0; y < turned.height; ++y)
        for (int x = 0; x < turned.width; ++x)
            EXPECT_EQ(both.pixel(x, y), turned.pixel(turned.width - 1 - x, y));
}

TEST(RotateBitmap, EveryFormatKeepsItsPackedValuesExactly)
{
    for (int bpp : {1, 4, 8, 15, 16, 24, 32}) {
        SCOPED_TRACE(bpp);
        // Odd sizes leave part of the last byte of 1- and 4-bit rows unused.
        const PackedBitmap src = randomBitmap(13, 7, bpp, uint32_t(bpp));
        const PackedBitmap quarter = RotateBitmap(src, 900, false, true);
        ASSERT_EQ(quarter.width, 7);
        ASSERT_EQ(quarter.height, 13);
        EXPECT_EQ(quarter.bitsPerPixel, bpp);
        EXPECT_EQ(quarter.palette, src.palette);
        EXPECT_EQ(quarter.pixel(0, 0), src.pixel(12, 0));
        EXPECT_EQ(quarter.pixel(6, 12), src.pixel(0, 6));
        EXPECT_EQ(quarter.pixel(3, 5), src.pixel(12 - 5, 3));
        PackedBitmap round = src;
        for (int k = 0; k < 4; ++k)
            round = RotateBitmap(round, 900, false, true);
        EXPECT_TRUE(samePixels(round, src));
        const PackedBitmap half = RotateBitmap(src, 1800, false, true);
        EXPECT_EQ(half.pixel(0, 0), src.pixel(12, 6));
        EXPECT_EQ(half.pixel(12, 6), src.pixel(0, 0));
    }
}

TEST(RotateBitmap, FillValueFollowsThePixelFormat)
{
    const auto corner = [](PackedBitmap src) { return RotateBitmap(src, 450, false, true).pixel(0, 0); };
    EXPECT_EQ(corner(PackedBitmap(8, 8, 24)), 0xFFFFFFu);
    EXPECT_EQ(corner(PackedBitmap(8, 8, 32)), 0x00FFFFFFu); // white, fourth byte 0
    EXPECT_EQ(corner(PackedBitmap(8, 8, 15)), 0xFFFFu);
    EXPECT_EQ(corner(PackedBitmap(8, 8, 16)), 0xFFFFu);

    // Palette formats: the entry with the highest B*65536 + G*256 + R, the last one on ties.
    PackedBitmap eight(8, 8, 8);
    eight.palette = {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 0, 0)};
    EXPECT_EQ(corner(eight), 2u);
    PackedBitmap four(8, 8, 4);
    four.palette.assign(16, qRgb(0, 0, 0));
    four.palette[5] = qRgb(0, 0, 255);   // blue weighs most
    four.palette[9] = qRgb(255, 255, 0); // brighter to the eye, but lower by that value
    EXPECT_EQ(corner(four), 5u);
    PackedBitmap one(8, 8, 1);
    one.palette = {qRgb(255, 255, 255), qRgb(0, 0, 0)};
    EXPECT_EQ(corner(one), 0u);
}

TEST(RotateBitmap, ErrorsNameTheirCause)
{
    EXPECT_EQ(rotateError(PackedBitmap()), "Bitmap Size Error");
    EXPECT_EQ(rotateError(PackedBitmap(0, 5, 24)), "Bitmap Size Error");
    PackedBitmap twoBits(4, 4, 24);
    twoBits.bitsPerPixel = 2;
    EXPECT_EQ(rotateError(twoBits), "Illegal Bitmap");
    EXPECT_THROW(RotateBitmap(QImage(4, 4, QImage::Format_ARGB4444_Premultiplied), 900, false, true), ERotateError);
    EXPECT_THROW(RotateBitmap(QImage(), 900, false, true), ERotateError);
    EXPECT_THROW(RotateBitmap(TBigBitmap(), 900, false, true), ERotateError);
}

TEST(RotateBitmap, QImageFormatsTurnLikeThePackedOnes)
{
    QImage mono(9, 5, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(0);
    mono.setPixel(8, 0, 1); // top-right
    const QImage monoOut = RotateBitmap(mono, 900, false, true);
    ASSERT_EQ(monoOut.size(), QSize(5, 9));
    EXPECT_EQ(monoOut.format(), QImage::Format_Mono);
    EXPECT_EQ(monoOut.pixelIndex(0, 0), 1);
    EXPECT_EQ(monoOut.pixelIndex(1, 0), 0);
    EXPECT_EQ(RotateBitmap(mono, 450, false, true).pixelIndex(0, 0), 1); // white is index 1

    TBigBitmap photo(100, 50, 24);
    photo.image().fill(QColor(10, 20, 30));
    photo.setPixel(99, 0, 0xFF0000);
    const TBigBitmap out = RotateBitmap(photo, 900, false, true);
    ASSERT_EQ(out.width(), 50);
    ASSERT_EQ(out.height(), 100);
    EXPECT_EQ(out.bitsPerPixel(), 24);
    EXPECT_EQ(out.pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(RotateBitmap(photo, 450, false, true).pixel(0, 0), 0xFFFFFFu);
}

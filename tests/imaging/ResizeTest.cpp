#include "ImageCompare.h"
#include "JpegCodec.h"
#include "Resize.h"
#include "TestEnv.h"
#include <QDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace qv;

namespace {

TBigBitmap pattern(int w, int h, int bits = 32) { return TBigBitmap::fromImage(test::patternImage(w, h), bits); }

// Blue channel of pixel (x, y).
int blueAt(const TBigBitmap& b, int x, int y) { return int(b.pixel(x, y) & 0xFF); }

// Source pixel (x, y) carries x in blue and y in green, so every output names what it read.
TBigBitmap coordinates(int w, int h)
{
    TBigBitmap b(w, h, 32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, uint32_t(x) | uint32_t(y) << 8);
    return b;
}

struct Difference {
    int max = 0;
    double mean = 0;
};

Difference compare(const TBigBitmap& a, const TBigBitmap& b)
{
    Difference d;
    d.mean = test::meanAbsDiff(a.image(), b.image());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            for (int s = 0; s < 24; s += 8)
                d.max = std::max(d.max, std::abs(int((a.pixel(x, y) >> s) & 255) - int((b.pixel(x, y) >> s) & 255)));
    return d;
}

} // namespace

TEST(Resize, FitLongSideKeepsTheLongerSideAtL)
{
    TBigBitmap square = pattern(300, 300);
    ASSERT_TRUE(fitLongSide(square, 296, false, false));
    EXPECT_EQ(square.width(), 296);
    EXPECT_EQ(square.height(), 296);

    TBigBitmap small = pattern(200, 100);
    const TBigBitmap before = small;
    fitLongSide(small, 296, true, false);
    EXPECT_TRUE(small == before) << "a bitmap is never enlarged";

    TBigBitmap wide = pattern(600, 400, 24);
    fitLongSide(wide, 296, true, false);
    EXPECT_EQ(wide.width(), 296);
    EXPECT_EQ(wide.height(), 197);
    EXPECT_EQ(wide.bitsPerPixel(), 32) << "a 24-bit source is resampled as 32 bits";

    TBigBitmap tall = pattern(375, 500);
    fitLongSide(tall, 296, false, true);
    EXPECT_EQ(tall.width(), 222);
    EXPECT_EQ(tall.height(), 296);

    TBigBitmap exact = pattern(296, 10);
    fitLongSide(exact, 296, false, false);
    EXPECT_EQ(exact.width(), 296) << "c = 1 leaves it alone";

    TBigBitmap strip = pattern(3000, 2);
    fitLongSide(strip, 296, false, true);
    EXPECT_EQ(strip.width(), 296);
    EXPECT_EQ(strip.height(), 1) << "a side never shrinks to nothing";

    TBigBitmap empty;
    EXPECT_TRUE(fitLongSide(empty, 296, false, false));
    EXPECT_TRUE(empty.isNull());
}

TEST(Resize, NearestReadsTheDesignatedSourcePixels)
{
    // 10 -> 4: step trunc(10 * 65535 / 4) = 163837; columns i * step >> 16 are 0, 2, 4, 7 and
    // rows (1 + j * step) >> 16 the same (a step of exactly 2.5 would give 5 for the third).
    const TBigBitmap out = resizeNearest(coordinates(10, 10), 4, 4);
    ASSERT_EQ(out.width(), 4);
    const int expected[] = {0, 2, 4, 7};
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(out.pixel(i, j), uint32_t(expected[i]) | uint32_t(expected[j]) << 8) << i << "," << j;
}

TEST(Resize, BlendChannelFloorsNegativeSums)
{
    // (640 - 1280 - 1280) / 256 = -7.5: the floor is -8, so 10 becomes 2 (truncation would give 3).
    EXPECT_EQ(blendChannel(10, 0, 0, 0, 128, 128), 2);
    EXPECT_EQ(blendChannel(0, 100, 10, 110, 0, 1), 0);
    EXPECT_EQ(blendChannel(100, 200, 110, 210, 254, 1), 199);
    EXPECT_EQ(blendChannel(77, 77, 77, 77, 255, 255), 77);
    EXPECT_EQ(blendChannel(255, 0, 0, 255, 255, 255), 253);
}

TEST(Resize, BilinearSamplesAtEightBitSteps)
{
    // 4 x 2 -> 2 x 1: step 510, so output column 1 reads columns 1 and 2 with fx = 254, and
    // the row starts at 1/256 (fy = 1).
    TBigBitmap src(4, 2, 32);
    const int top[] = {0, 100, 200, 50}, bottom[] = {10, 110, 210, 60};
    for (int x = 0; x < 4; ++x) {
        src.setPixel(x, 0, uint32_t(top[x]));
        src.setPixel(x, 1, uint32_t(bottom[x]));
    }
    const TBigBitmap plain = resizeBilinear(src, 2, 1);
    EXPECT_EQ(blueAt(plain, 0, 0), 0);
    EXPECT_EQ(blueAt(plain, 1, 0), 199);

    // The SIMD variant samples the same places with the same weights.
    const TBigBitmap simd = resizeBilinearMMX(src, 2, 1);
    EXPECT_EQ(blueAt(simd, 1, 0), 199);
    EXPECT_EQ(simd.image().pixel(1, 0) >> 24, 0xFFu) << "the padding byte stays 0xFF";

    // A flat white stays white in both.
    TBigBitmap white(64, 64, 32);
    EXPECT_EQ(resizeBilinearMMX(white, 31, 17).pixel(30, 16), 0xFFFFFFu);
    EXPECT_EQ(resizeBilinear(white, 31, 17).pixel(30, 16), 0xFFFFFFu);
}

TEST(Resize, ThinSourcesStayInsideTheirPixels)
{
    // One-pixel sides have no right or lower neighbour: the filters must not read past them.
    for (const auto& [w, h] : {std::pair{1, 300}, std::pair{300, 1}, std::pair{1, 1}}) {
        const TBigBitmap src = pattern(w, h);
        for (bool simd : {false, true}) {
            TBigBitmap b = src;
            fitLongSide(b, 100, false, simd);
            EXPECT_EQ(std::max(b.width(), b.height()), std::max(w, h) > 100 ? 100 : std::max(w, h));
        }
        EXPECT_FALSE(resizeBilinearMMX(src, 5, 5).isNull()) << "enlarging clamps the neighbours";
        EXPECT_FALSE(resizeBilinear(src, 5, 5).isNull());
    }
}

// The SIMD filter against the reference on real photos, with odd sizes for the tails and
// shrink factors close to 1, where negative cross terms are common.
TEST(Resize, SimdVariantAgreesWithPlainOnEveryPhoto)
{
    const QStringList photos = QDir(test::testData("photos")).entryList({"*.jpg"}, QDir::Files, QDir::Name);
    ASSERT_FALSE(photos.isEmpty());
    for (const QString& name : photos) {
        const ImageLoadResult r = decodeJpegFile(test::testData("photos/" + name), 2, 32);
        ASSERT_TRUE(r.ok()) << name.toStdString();
        const TBigBitmap& src = r.bitmap;
        for (const double f : {0.93, 0.5, 0.31}) {
            const int w = std::max(1, int(src.width() * f)), h = std::max(1, int(src.height() * f)) | 1;
            const Difference d = compare(resizeBilinearMMX(src, w, h), resizeBilinear(src, w, h));
            ASSERT_LE(d.max, 1) << name.toStdString() << " at " << w << "x" << h;
        }
    }
}

TEST(Resize, SimdVariantMatchesPlainOnSmoothImages)
{
    TBigBitmap ramp(400, 300, 32);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            ramp.setPixel(x, y, uint32_t(x * 255 / 399) | uint32_t(y * 255 / 299) << 8 | 0x800000u);
    const Difference d = compare(resizeBilinearMMX(ramp, 296, 222), resizeBilinear(ramp, 296, 222));
    EXPECT_EQ(d.max, 0);
}

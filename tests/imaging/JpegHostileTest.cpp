// JPEG decoding of damaged and hostile input: no crash, no hang, no unbounded allocation.
#include "BmpCodec.h"
#include "ImageCompare.h"
#include "JpegCodec.h"
#include "JpegTestFiles.h"
#include "TestEnv.h"
#include <QDir>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <random>

using namespace qv;
using qv::test::JpegSpec;
using qv::test::testData;

namespace {

QByteArray smallGrayJpeg(bool progressive)
{
    JpegSpec spec;
    spec.input = JCS_GRAYSCALE;
    spec.stored = JCS_GRAYSCALE;
    spec.progressive = progressive;
    const unsigned char gray[1] = {100};
    return qv::test::makeUniformJpeg(spec, gray);
}

// A 16384 x 12288 (201 megapixel) photo-sized file of one colour, made once, row by row.
const QByteArray& twoHundredMegapixelJpeg()
{
    static const QByteArray jpeg = [] {
        JpegSpec spec;
        spec.width = 16384;
        spec.height = 12288;
        spec.quality = 10;
        const unsigned char colour[3] = {30, 140, 220};
        return qv::test::makeUniformJpeg(spec, colour);
    }();
    return jpeg;
}

} // namespace

// Rule: a source of more than 2^31 pixels is refused at every scale; otherwise the output at
// the chosen scale may have at most kMaxBitmapPixels pixels. Both are checked on the header,
// before any pixel memory is taken.
TEST(JpegHostile, AbsurdSizesAreRefusedFromTheHeader)
{
    // libjpeg itself stops at 65500 pixels a side, already in the header.
    const QByteArray over = qv::test::withFrameSize(smallGrayJpeg(false), 65535, 65535);
    EXPECT_FALSE(readJpegHeader(over).error.isEmpty());
    for (int n : {1, 8})
        EXPECT_FALSE(decodeJpeg(over, n).error.isEmpty());
    // 65500 x 65500 (4.3 gigapixels) passes libjpeg but not the source rule, at any scale.
    const QByteArray huge = qv::test::withFrameSize(smallGrayJpeg(false), 65500, 65500);
    const JpegHeader h = readJpegHeader(huge);
    EXPECT_TRUE(h.error.isEmpty());
    EXPECT_EQ(h.width, 65500);
    QElapsedTimer timer;
    timer.start();
    for (int n : {1, 8}) {
        const ImageLoadResult r = decodeJpeg(huge, n);
        EXPECT_TRUE(r.bitmap.isNull()) << n;
        EXPECT_TRUE(r.error.contains("too large")) << r.error.toStdString();
    }
    // 20000 x 20001 is within the source rule, but 400 million output pixels at 1/1 are not.
    const ImageLoadResult big = decodeJpeg(qv::test::withFrameSize(smallGrayJpeg(false), 20000, 20001), 1);
    EXPECT_TRUE(big.bitmap.isNull());
    EXPECT_TRUE(big.error.contains("too large")) << big.error.toStdString();
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST(JpegHostile, TwoHundredMegapixelPhotoDecodesScaledDown)
{
    const QByteArray& jpeg = twoHundredMegapixelJpeg();
    const JpegHeader h = readJpegHeader(jpeg);
    EXPECT_EQ(h.width, 16384);
    EXPECT_EQ(h.height, 12288);
    const ImageLoadResult eighth = decodeJpeg(jpeg, 8);
    ASSERT_TRUE(eighth.ok()) << eighth.error.toStdString();
    EXPECT_EQ(eighth.bitmap.width(), 2048);
    EXPECT_EQ(eighth.bitmap.height(), 1536);
    for (const QPoint p : {QPoint(0, 0), QPoint(1024, 768), QPoint(2047, 1535)}) {
        const uint32_t c = eighth.bitmap.pixel(p.x(), p.y());
        // Quality 10 quantizes the chroma coarsely.
        EXPECT_NEAR(int(c >> 16), 30, 15);
        EXPECT_NEAR(int((c >> 8) & 0xFF), 140, 15);
        EXPECT_NEAR(int(c & 0xFF), 220, 15);
    }
    for (int n : {2, 4}) {
        const ImageLoadResult r = decodeJpeg(jpeg, n);
        ASSERT_TRUE(r.ok()) << n << ": " << r.error.toStdString();
        EXPECT_EQ(r.bitmap.width(), 16384 / n);
        EXPECT_EQ(r.bitmap.height(), 12288 / n);
    }
}

TEST(JpegHostile, ProgressiveCoefficientMemoryIsLimited)
{
    // 30000 x 30000 is within the size rules at 1/8, but progressive decoding would need
    // 1.8 GB of coefficients: over libjpeg's memory limit.
    QElapsedTimer timer;
    timer.start();
    const ImageLoadResult r = decodeJpeg(qv::test::withFrameSize(smallGrayJpeg(true), 30000, 30000), 8);
    EXPECT_TRUE(r.bitmap.isNull());
    EXPECT_TRUE(r.error.contains("Backing store")) << r.error.toStdString(); // libjpeg's word for it
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_TRUE(decodeJpeg(smallGrayJpeg(true)).ok());
}

TEST(JpegHostile, EndlessScansAreCutOff)
{
    const QByteArray progressive = smallGrayJpeg(true);
    // A few superfluous scans only give warnings.
    EXPECT_TRUE(decodeJpeg(qv::test::withRepeatedLastScan(progressive, 20)).ok());
    QElapsedTimer timer;
    timer.start();
    const ImageLoadResult r = decodeJpeg(qv::test::withRepeatedLastScan(progressive, 1500));
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.error.contains("too many scans")) << r.error.toStdString();
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST(JpegHostile, DamagedFilesFailCleanlyOrDecodePartially)
{
    const QDir dir(testData("invalid"));
    const QStringList files = dir.entryList({"*.jpg"}, QDir::Files);
    ASSERT_GE(files.size(), 4);
    for (const QString& name : files) {
        for (int n : {1, 8}) {
            const ImageLoadResult r = decodeJpegFile(dir.filePath(name), n);
            EXPECT_TRUE(r.ok() || !r.error.isEmpty()) << name.toStdString();
            EXPECT_EQ(r.ok(), !r.bitmap.isNull()) << name.toStdString();
        }
    }
    // A file cut in half still gives the whole picture; the missing part is gray.
    const QByteArray photo = qv::test::readFile(testData("photos/DSCN0010.jpg"));
    const ImageLoadResult cut = decodeJpeg(photo.left(photo.size() / 2));
    ASSERT_TRUE(cut.ok()) << cut.error.toStdString();
    EXPECT_EQ(cut.bitmap.width(), 640);
    EXPECT_EQ(cut.bitmap.height(), 480);
    const uint32_t bottom = cut.bitmap.pixel(320, 479);
    EXPECT_NEAR(int(bottom >> 16), 128, 3);
    EXPECT_NEAR(int(bottom & 0xFF), 128, 3);
    // A bad header is a failure with libjpeg's message.
    EXPECT_FALSE(decodeJpeg(photo.left(40)).ok());
    const ImageLoadResult notJpeg = decodeJpeg(QByteArray("\x89PNG\r\n\x1a\n............"));
    EXPECT_TRUE(notJpeg.error.contains("Not a JPEG")) << notJpeg.error.toStdString();
    EXPECT_FALSE(decodeJpeg({}).ok());
    // Each codec refuses the other's files.
    EXPECT_FALSE(decodeJpeg(qv::test::readFile(testData("bmp/good/rgb24.bmp"))).ok());
    EXPECT_FALSE(decodeBmp(photo).ok());
}

TEST(JpegHostile, MutatedFilesNeverCrash)
{
    std::mt19937 rng(7411);
    const QByteArray sources[] = {qv::test::readFile(testData("photos/Canon_40D.jpg")), smallGrayJpeg(true)};
    for (const QByteArray& original : sources) {
        ASSERT_FALSE(original.isEmpty());
        for (int round = 0; round < 200; ++round) {
            QByteArray m = original;
            const int edits = 1 + int(rng() % 6);
            for (int e = 0; e < edits; ++e) {
                const int at = int(rng() % m.size());
                m[at] = (rng() % 3 == 0) ? char(0xFF) : char(rng());
            }
            if (rng() % 5 == 0)
                m.truncate(int(rng() % m.size()));
            for (int n : {1, 8}) {
                const ImageLoadResult r = decodeJpeg(m, n);
                ASSERT_TRUE(r.ok() || !r.error.isEmpty()) << round;
            }
        }
    }
}

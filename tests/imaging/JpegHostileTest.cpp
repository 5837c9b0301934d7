// JPEG decoding of damaged and hostile input: no crash, no hang, no unbounded allocation.
#include "BmpCodec.h"
#include "ImageCompare.h"
#include "JpegCodec.h"
#include "PictureTestFiles.h"
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

struct Budget {
    explicit Budget(qint64 bytes) { setPictureByteBudget(bytes); }
    ~Budget() { setPictureByteBudget(0); }
};

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

// Rule: a header may claim at most 4 Mi pixels plus 128 for every byte of picture data after it.
TEST(JpegHostile, HeadersClaimingFarMoreThanTheirDataAreRefused)
{
    struct Case {
        int width, height;
        bool progressive;
        int scale;
        bool refused;
    } const cases[] = {
        {20000, 20000, true, 8, true},   // 282 bytes for 400 megapixels
        {30000, 30000, false, 8, true},  // the forged photo of a few bytes
        {60000, 30000, false, 8, true},
        {2048, 2048, true, 1, false},    // within the free claim: a grey picture, as a cut file gives
        {2049, 2048, false, 1, true},
    };
    for (const Case& c : cases) {
        const QByteArray jpeg = qv::test::forgedJpeg(c.width, c.height, c.progressive);
        const ImageLoadResult r = decodeJpeg(jpeg, c.scale);
        EXPECT_EQ(r.ok(), !c.refused) << c.width << "x" << c.height << ": " << r.error.toStdString();
        if (c.refused) {
            EXPECT_TRUE(r.error.contains("holds only")) << r.error.toStdString();
        }
        EXPECT_EQ(probeJpeg(jpeg, 0, [&](int, int) { return c.scale; }, 24).ok(), !c.refused);
    }
    // Honest data for as many pixels decodes: 16384 x 12288 of one colour is 3 MB.
    EXPECT_TRUE(decodeJpeg(twoHundredMegapixelJpeg(), 8).ok());
}

// The whole-image coefficient arrays of a progressive file count in the decode's peak; a
// sequential file of the same size needs none.
TEST(JpegHostile, ProgressiveCoefficientsCountInThePeak)
{
    std::mt19937 rng(5);
    JpegSpec spec;
    spec.width = spec.height = 2048;
    spec.input = spec.stored = JCS_GRAYSCALE;
    auto noise = [&](int, unsigned char* row) {
        for (int x = 0; x < spec.width; ++x)
            row[x] = uchar(rng());
    };
    const QByteArray sequential = qv::test::makeJpeg(spec, noise);
    spec.progressive = true;
    const QByteArray progressive = qv::test::makeJpeg(spec, noise);
    const qint64 coefficients = 2048LL * 2048 / 64 * 128; // 8 MiB
    const PictureProbe p = probeJpeg(progressive, 0, [](int, int) { return 8; }, 24);
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_GE(p.peakBytes, progressive.size() + coefficients + 256 * 256 * 3);
    {
        const Budget budget(progressive.size() + coefficients / 2 + (4 << 20));
        const ImageLoadResult r = decodeJpeg(progressive, 8);
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.error.contains("picture budget")) << r.error.toStdString();
        EXPECT_TRUE(decodeJpeg(sequential, 8).ok());
    }
    EXPECT_TRUE(decodeJpeg(progressive, 8).ok());
}

TEST(JpegHostile, EndlessScansAreCutOff)
{
    const QByteArray progressive = smallGrayJpeg(true);
    // A few superfluous scans only give warnings.
    EXPECT_TRUE(decodeJpeg(qv::test::withRepeatedLastScan(progressive, 20)).ok());
    const ImageLoadResult r = decodeJpeg(qv::test::withRepeatedLastScan(progressive, 1500));
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.error.contains("too many scans")) << r.error.toStdString();
    // Each scan walks all the blocks of the picture again, so the limit falls with its size: 500
    // scans at 4 megapixels, 128 at 64 (with bytes after the end to pass the claim rule); never
    // fewer than 64, whatever the size.
    struct Case {
        int side;
        qsizetype padding;
        const char* limit;
    } const cases[] = {{2048, 0, "500"}, {8192, 480 << 10, "128"}};
    for (const Case& c : cases) {
        const ImageLoadResult big = decodeJpeg(qv::test::manyScansJpeg(c.side, c.side, 1000) + QByteArray(c.padding, '\0'), 8);
        EXPECT_FALSE(big.ok()) << c.side;
        EXPECT_TRUE(big.error.contains(QString("too many scans (more than %1)").arg(c.limit))) << big.error.toStdString();
    }
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

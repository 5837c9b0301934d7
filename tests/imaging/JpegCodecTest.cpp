// JPEG decoding of real photos at every scale, colour spaces, and baseline encoding.
#include "ImageCompare.h"
#include "JpegCodec.h"
#include "PictureTestFiles.h"
#include "TestEnv.h"
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace qv;
using qv::test::imagesMatch;
using qv::test::JpegSpec;
using qv::test::meanAbsDiff;
using qv::test::testData;

namespace {

QStringList photoFiles()
{
    const QDir dir(testData("photos"));
    QStringList files = dir.entryList({"*.jpg"}, QDir::Files, QDir::Name);
    for (QString& f : files)
        f = dir.filePath(f);
    return files;
}

// Averages n x n blocks (partial blocks at the right and bottom edges over what they hold):
// what a 1/n DCT-domain decode approximates.
QImage boxDownscale(const QImage& source, int n)
{
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    const int w = (src.width() + n - 1) / n;
    const int h = (src.height() + n - 1) / n;
    QImage out(w, h, QImage::Format_RGB32);
    for (int by = 0; by < h; ++by) {
        for (int bx = 0; bx < w; ++bx) {
            long sum[3] = {0, 0, 0};
            int count = 0;
            for (int y = by * n; y < std::min(src.height(), by * n + n); ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(src.constScanLine(y));
                for (int x = bx * n; x < std::min(src.width(), bx * n + n); ++x, ++count) {
                    sum[0] += qRed(row[x]);
                    sum[1] += qGreen(row[x]);
                    sum[2] += qBlue(row[x]);
                }
            }
            out.setPixel(bx, by, qRgb(int(sum[0] / count), int(sum[1] / count), int(sum[2] / count)));
        }
    }
    return out;
}

// Smooth colours, so that JPEG's loss stays small everywhere.
QImage smoothImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / (w - 1), y * 255 / (h - 1), (x + y) * 255 / (w + h - 2)));
    return img;
}

void expectColour(const TBigBitmap& bm, int x, int y, int r, int g, int b, int tolerance, const char* what)
{
    const uint32_t p = bm.pixel(x, y);
    EXPECT_NEAR(int(p >> 16), r, tolerance) << what;
    EXPECT_NEAR(int((p >> 8) & 0xFF), g, tolerance) << what;
    EXPECT_NEAR(int(p & 0xFF), b, tolerance) << what;
}

} // namespace

TEST(JpegCodec, EveryPhotoDecodesAtEachScaleWithLibjpegsSizes)
{
    const QStringList files = photoFiles();
    ASSERT_GE(files.size(), 20);
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        const JpegHeader header = readJpegHeaderFile(path);
        ASSERT_TRUE(header.error.isEmpty()) << header.error.toStdString();
        EXPECT_EQ(header.components, 3);
        ImageLoadResult full;
        for (int n : {1, 2, 4, 8}) {
            ImageLoadResult r = decodeJpegFile(path, n);
            ASSERT_TRUE(r.ok()) << n << ": " << r.error.toStdString();
            EXPECT_EQ(r.bitmap.bitsPerPixel(), 24);
            // libjpeg rounds the scaled size up.
            EXPECT_EQ(r.bitmap.width(), (header.width + n - 1) / n) << n;
            EXPECT_EQ(r.bitmap.height(), (header.height + n - 1) / n) << n;
            if (n == 1) {
                full = std::move(r);
            } else {
                // Scaled decodes show the same picture as a box-filtered full decode.
                EXPECT_LT(meanAbsDiff(r.bitmap.image(), boxDownscale(full.bitmap.image(), n)), 3.0) << n;
            }
        }
        // Qt's own reader (also libjpeg) sees the same pixels at full size.
        const QImage reference(path);
        if (reference.size() == full.bitmap.image().size()) {
            EXPECT_LT(meanAbsDiff(full.bitmap.image(), reference), 1.0);
        }
    }
}

TEST(JpegCodec, ThirtyTwoBitDecodeIsOpaqueAndEqualsTheTwentyFourBitOne)
{
    const QString path = testData("photos/DSCN0010.jpg");
    for (int n : {1, 8}) {
        const ImageLoadResult r24 = decodeJpegFile(path, n, 24);
        const ImageLoadResult r32 = decodeJpegFile(path, n, 32);
        ASSERT_TRUE(r32.ok()) << r32.error.toStdString();
        EXPECT_EQ(r32.bitmap.bitsPerPixel(), 32);
        EXPECT_EQ(r32.bitmap.image().format(), QImage::Format_RGB32);
        EXPECT_TRUE(imagesMatch(r32.bitmap.image(), r24.bitmap.image()));
        const QImage& img = r32.bitmap.image();
        for (int y = 0; y < img.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < img.width(); ++x)
                ASSERT_EQ(qAlpha(row[x]), 255) << x << "," << y;
        }
    }
    EXPECT_FALSE(decodeJpegFile(path, 3).ok());
    EXPECT_FALSE(decodeJpegFile(path, 1, 16).ok());
}

TEST(JpegCodec, GrayscaleComesOutAsRgb)
{
    JpegSpec spec;
    spec.width = 64;
    spec.height = 48;
    spec.input = JCS_GRAYSCALE;
    spec.stored = JCS_GRAYSCALE;
    const QByteArray jpeg = qv::test::makeJpeg(spec, [](int, unsigned char* row) {
        for (int x = 0; x < 64; ++x)
            row[x] = uchar(x * 4);
    });
    EXPECT_EQ(readJpegHeader(jpeg).components, 1);
    for (int bits : {24, 32}) {
        const ImageLoadResult r = decodeJpeg(jpeg, 1, bits);
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        for (int x : {0, 20, 40, 63})
            expectColour(r.bitmap, x, 10, x * 4, x * 4, x * 4, 3, "gray");
    }
    // Qt's grayscale JPEGs as well.
    QImage gray(40, 30, QImage::Format_Grayscale8);
    gray.fill(77);
    const QString path = qv::test::baseDir() + "gray.jpg";
    ASSERT_TRUE(gray.save(path, "JPEG", 95));
    const ImageLoadResult q = decodeJpegFile(path);
    ASSERT_TRUE(q.ok()) << q.error.toStdString();
    expectColour(q.bitmap, 20, 15, 77, 77, 77, 2, "Qt gray");
}

TEST(JpegCodec, CmykAndYcckComeOutAsRgb)
{
    JpegSpec spec;
    spec.input = JCS_CMYK;
    // Adobe files store inverted inks: 255 means no ink. (200, 100, 50) without black ink...
    const unsigned char adobeNoBlack[4] = {200, 100, 50, 255};
    // ...and with about half black ink: each channel halves.
    const unsigned char adobeHalfBlack[4] = {200, 100, 50, 128};
    for (J_COLOR_SPACE stored : {JCS_CMYK, JCS_YCCK}) {
        spec.stored = stored;
        const char* what = stored == JCS_CMYK ? "Adobe CMYK" : "Adobe YCCK";
        const QByteArray a = qv::test::makeUniformJpeg(spec, adobeNoBlack);
        EXPECT_EQ(readJpegHeader(a).components, 4);
        for (int bits : {24, 32}) {
            const ImageLoadResult r = decodeJpeg(a, 1, bits);
            ASSERT_TRUE(r.ok()) << what << ": " << r.error.toStdString();
            expectColour(r.bitmap, 8, 8, 200, 100, 50, 3, what);
            if (bits == 32) {
                EXPECT_EQ(qAlpha(r.bitmap.image().pixel(8, 8)), 255);
            }
        }
        const ImageLoadResult half = decodeJpeg(qv::test::makeUniformJpeg(spec, adobeHalfBlack), 2);
        ASSERT_TRUE(half.ok()) << half.error.toStdString();
        EXPECT_EQ(half.bitmap.width(), 8);
        expectColour(half.bitmap, 4, 4, 100, 50, 25, 3, what);
    }
    // Without the Adobe marker the inks are stored as they are.
    spec.stored = JCS_CMYK;
    spec.adobeMarker = false;
    const unsigned char plainInks[4] = {55, 155, 205, 0};
    const ImageLoadResult p = decodeJpeg(qv::test::makeUniformJpeg(spec, plainInks));
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    expectColour(p.bitmap, 8, 8, 200, 100, 50, 3, "plain CMYK");
}

TEST(JpegCodec, EncodeIsBaseline420AndRoundTrips)
{
    const QImage source = smoothImage(300, 200);
    const TBigBitmap bm24 = TBigBitmap::fromImage(source, 24);
    QString error;
    const QByteArray jpeg = encodeJpeg(bm24, 90, &error);
    ASSERT_FALSE(jpeg.isEmpty()) << error.toStdString();
    // Frame header: SOF0 (baseline), 8 bits, 300 x 200, three components, Y at 2x2 (4:2:0).
    const int sof = qv::test::findFrameMarker(jpeg);
    ASSERT_GE(sof, 0);
    EXPECT_EQ(uchar(jpeg[sof + 1]), 0xC0);
    EXPECT_FALSE(jpeg.contains(QByteArray("\xFF\xC2", 2)));
    EXPECT_EQ(uchar(jpeg[sof + 4]), 8);
    EXPECT_EQ(uchar(jpeg[sof + 5]) << 8 | uchar(jpeg[sof + 6]), 200);
    EXPECT_EQ(uchar(jpeg[sof + 7]) << 8 | uchar(jpeg[sof + 8]), 300);
    ASSERT_EQ(uchar(jpeg[sof + 9]), 3);
    EXPECT_EQ(uchar(jpeg[sof + 11]), 0x22);
    EXPECT_EQ(uchar(jpeg[sof + 14]), 0x11);
    EXPECT_EQ(uchar(jpeg[sof + 17]), 0x11);

    const ImageLoadResult back = decodeJpeg(jpeg);
    ASSERT_TRUE(back.ok()) << back.error.toStdString();
    EXPECT_LT(meanAbsDiff(back.bitmap.image(), source), 1.5);
    EXPECT_TRUE(imagesMatch(back.bitmap.image(), source, 10, 0, "quality 90 round trip"));
    // The 32-bit layout goes in unconverted and gives the very same file.
    EXPECT_EQ(encodeJpeg(TBigBitmap::fromImage(source, 32), 90), jpeg);
    // Quality matters: 10 is much smaller and further off.
    const QByteArray low = encodeJpeg(bm24, 10);
    EXPECT_LT(low.size(), jpeg.size() / 2);
    EXPECT_GT(meanAbsDiff(decodeJpeg(low).bitmap.image(), source), meanAbsDiff(back.bitmap.image(), source));
    error.clear();
    EXPECT_TRUE(encodeJpeg(TBigBitmap(), 90, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(JpegCodec, WriteJpegFileWritesTheEncodedBytesOrReportsWhyNot)
{
    const TBigBitmap bm = TBigBitmap::fromImage(smoothImage(64, 64), 24);
    const QString path = qv::test::baseDir() + "copy.jpg";
    QString error;
    ASSERT_TRUE(writeJpegFile(bm, path, 90, &error)) << error.toStdString();
    EXPECT_EQ(qv::test::readFile(path), encodeJpeg(bm, 90));
    EXPECT_FALSE(writeJpegFile(bm, qv::test::baseDir() + "no/folder/x.jpg", 90, &error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(writeJpegFile(TBigBitmap(), qv::test::baseDir() + "empty.jpg", 90, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(qv::test::baseDir() + "empty.jpg"));
}

TEST(JpegCodec, HeaderReadGivesSizeAndComponentsOrAnError)
{
    const JpegHeader h = readJpegHeaderFile(testData("photos/jolla.jpg"));
    EXPECT_TRUE(h.error.isEmpty());
    EXPECT_EQ(h.width, 3264);
    EXPECT_EQ(h.height, 2448);
    EXPECT_EQ(h.components, 3);
    const JpegHeader bad = readJpegHeader(QByteArray("BM this is no JPEG at all"));
    EXPECT_FALSE(bad.error.isEmpty());
    EXPECT_EQ(bad.width, 0);
    EXPECT_FALSE(readJpegHeader({}).error.isEmpty());
    EXPECT_FALSE(readJpegHeaderFile(qv::test::baseDir() + "missing.jpg").error.isEmpty());
}

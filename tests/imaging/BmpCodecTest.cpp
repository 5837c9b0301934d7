// BMP reading of every variety in the test data, damaged input, and 24-bit writing.
#include "BmpCodec.h"
#include "ImageCompare.h"
#include "PictureTestFiles.h"
#include "TestEnv.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <gtest/gtest.h>
#include <random>

using namespace qv;
using qv::test::imagesMatch;
using qv::test::makeBmp;
using qv::test::testData;

namespace {

QStringList bmpFiles(const QString& folder)
{
    const QDir dir(testData("bmp/" + folder));
    QStringList files = dir.entryList({"*.bmp"}, QDir::Files, QDir::Name);
    for (QString& f : files)
        f = dir.filePath(f);
    return files;
}

// Qt fills the low bits of 5- and 6-bit channels with zeros; we repeat the high bits instead
// (full scale gives 255). Widen Qt's values the same way to compare exactly.
QImage widenedQt16(const QImage& qt, bool green6)
{
    QImage img = qt.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* p = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int r = qRed(p[x]), g = qGreen(p[x]), b = qBlue(p[x]);
            p[x] = qRgb(r | r >> 5, green6 ? (g | g >> 6) : (g | g >> 5), b | b >> 5);
        }
    }
    return img;
}

quint32 le32(const QByteArray& b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }
quint16 le16(const QByteArray& b, int at) { return qFromLittleEndian<quint16>(b.constData() + at); }

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// Every file of BMP Suite shows the same picture, so variants can be checked against each other.
QImage decoded(const QString& relative)
{
    const ImageLoadResult r = readBmpFile(testData(relative));
    EXPECT_TRUE(r.ok()) << relative.toStdString() << ": " << r.error.toStdString();
    return r.bitmap.image();
}

} // namespace

TEST(BmpCodec, EveryGoodFileMatchesQtsDecodePixelForPixel)
{
    const QStringList files = bmpFiles("good");
    ASSERT_GE(files.size(), 27);
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        const ImageLoadResult r = readBmpFile(path);
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        EXPECT_EQ(r.bitmap.bitsPerPixel(), 24);
        QImage reference(path);
        ASSERT_FALSE(reference.isNull());
        if (path.contains("rgb16"))
            reference = widenedQt16(reference, path.contains("565"));
        EXPECT_TRUE(imagesMatch(r.bitmap.image(), reference, 0, 0, QFileInfo(path).fileName()));
    }
}

TEST(BmpCodec, HandCheckedPixelsOfPalettesAndBitFields)
{
    // 1-bit with its two palette colours; top-left and a known dark pixel of the suite picture.
    const TBigBitmap pal1 = readBmpFile(testData("bmp/good/pal1.bmp")).bitmap;
    ASSERT_EQ(pal1.width(), 127);
    ASSERT_EQ(pal1.height(), 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 127; ++x)
            ASSERT_TRUE(pal1.pixel(x, y) == 0x000000 || pal1.pixel(x, y) == 0xFFFFFF);
    // pal8-0 has biClrUsed 0 (a full palette) and must equal the 252-colour file.
    EXPECT_TRUE(imagesMatch(decoded("bmp/good/pal8-0.bmp"), decoded("bmp/good/pal8.bmp"), 0, 0, "pal8-0"));
    // Top-down rows, OS/2 3-byte palette entries, V4 and V5 headers: the same picture.
    for (const char* f : {"pal8topdown.bmp", "pal8os2.bmp", "pal8v4.bmp", "pal8v5.bmp", "pal8rle.bmp"})
        EXPECT_TRUE(imagesMatch(decoded(QString("bmp/good/") + f), decoded("bmp/good/pal8.bmp"), 0, 0, f));
    // 16-bit 565 full scale gives 255, not 248: the bits are widened by repetition.
    const TBigBitmap rgb16 = readBmpFile(testData("bmp/good/rgb16-565.bmp")).bitmap;
    bool sawFullRed = false;
    for (int y = 0; y < rgb16.height(); ++y)
        for (int x = 0; x < rgb16.width(); ++x)
            sawFullRed |= (rgb16.pixel(x, y) >> 16) == 0xFF;
    EXPECT_TRUE(sawFullRed);
    // 24 and 32 bits (plain and bit fields) carry the same exact colours.
    for (const char* f : {"rgb32.bmp", "rgb32bf.bmp", "rgb32bfdef.bmp", "rgb24pal.bmp"})
        EXPECT_TRUE(imagesMatch(decoded(QString("bmp/good/") + f), decoded("bmp/good/rgb24.bmp"), 0, 0, f));
}

TEST(BmpCodec, QuestionableFilesImportWhereTheFormatAllows)
{
    const QStringList refused = {"pal1huffmsb.bmp", "rgb24jpeg.bmp", "rgba64.bmp"};
    for (const QString& path : bmpFiles("questionable")) {
        SCOPED_TRACE(path.toStdString());
        const ImageLoadResult r = readBmpFile(path);
        if (refused.contains(QFileInfo(path).fileName())) {
            EXPECT_FALSE(r.ok());
            EXPECT_FALSE(r.error.isEmpty());
            EXPECT_TRUE(r.bitmap.isNull());
        } else {
            EXPECT_TRUE(r.ok()) << r.error.toStdString();
            EXPECT_EQ(r.bitmap.width(), 127);
            EXPECT_EQ(r.bitmap.height(), 64);
        }
    }
    // Palette variants: OS/2 2.x headers of 16 and 64 bytes, palette sized by the data offset,
    // a gap before the pixels, a palette of more than 256 entries.
    const QImage pal8 = decoded("bmp/good/pal8.bmp");
    for (const char* f : {"pal8os2v2-16.bmp", "pal8os2v2-sz.bmp", "pal8os2-sz.bmp", "pal8offs.bmp", "pal8oversizepal.bmp"})
        EXPECT_TRUE(imagesMatch(decoded(QString("bmp/questionable/") + f), pal8, 0, 0, f));
    // 24-bit with colour profiles, OS/2 RLE24, 32 bits with a junk fourth byte, alpha bit fields.
    const QImage rgb24 = decoded("bmp/good/rgb24.bmp");
    for (const char* f : {"rgb24prof.bmp", "rgb24lprof.bmp", "rgb32fakealpha.bmp"})
        EXPECT_TRUE(imagesMatch(decoded(QString("bmp/questionable/") + f), rgb24, 0, 0, f));
    // With alpha the pixels are laid over white: a fully transparent pixel (hidden colour green)
    // is white, and only the half-transparent lower part of the letters differs from the
    // opaque picture.
    const QImage abf = decoded("bmp/questionable/rgba32abf.bmp");
    EXPECT_EQ(abf.pixel(27, 21) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_TRUE(imagesMatch(abf, rgb24, 0, 150, "rgba32abf"));
    // The RLE24 file holds a dithered copy of the picture: close once the dither is averaged out.
    const auto smooth = [](const QImage& i) { return i.scaled(32, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation); };
    EXPECT_LT(qv::test::meanAbsDiff(smooth(decoded("bmp/questionable/rgb24rle24.bmp")), smooth(rgb24)), 4.0);
    // Unusual channel widths (10 bits with 2 alpha bits, 7-1-8-7): within the rounding.
    EXPECT_TRUE(imagesMatch(decoded("bmp/questionable/rgba32-1010102.bmp"), rgb24, 1, 150, "1010102"));
    EXPECT_TRUE(imagesMatch(decoded("bmp/questionable/rgb32-7187.bmp"), rgb24, 2, 0, "7187"));
    // 2-bit palettes: four colours only.
    const TBigBitmap pal2 = readBmpFile(testData("bmp/questionable/pal2.bmp")).bitmap;
    QSet<uint32_t> colours;
    for (int y = 0; y < pal2.height(); ++y)
        for (int x = 0; x < pal2.width(); ++x)
            colours.insert(pal2.pixel(x, y));
    EXPECT_LE(colours.size(), 4);
    EXPECT_GE(colours.size(), 2);
}

TEST(BmpCodec, BadFilesGiveAnErrorOrWhatCouldBeDecoded)
{
    for (const QString& path : bmpFiles("bad")) {
        SCOPED_TRACE(path.toStdString());
        const ImageLoadResult r = readBmpFile(path);
        EXPECT_TRUE(r.ok() || !r.error.isEmpty());
        if (r.ok()) {
            EXPECT_GT(r.bitmap.width(), 0);
        }
    }
    // Refused outright: absurd size (before any allocation), unknown bit count, negative width.
    const ImageLoadResult big = readBmpFile(testData("bmp/bad/reallybig.bmp"));
    EXPECT_TRUE(big.bitmap.isNull());
    EXPECT_TRUE(big.error.contains("too large")) << big.error.toStdString();
    EXPECT_FALSE(readBmpFile(testData("bmp/bad/badbitcount.bmp")).ok());
    EXPECT_FALSE(readBmpFile(testData("bmp/bad/badwidth.bmp")).ok());
    // A wrong file size field or palette size does not matter: the pixels are all there.
    EXPECT_TRUE(readBmpFile(testData("bmp/bad/badfilesize.bmp")).ok());
    EXPECT_TRUE(readBmpFile(testData("bmp/bad/badpalettesize.bmp")).ok());
}

TEST(BmpCodec, SizeIsBoundedByTheBytesPresent)
{
    // 20000 x 15000 x 24 bits announced in a file of a few bytes: refused, nothing allocated.
    const ImageLoadResult r = decodeBmp(makeBmp(20000, 15000, 24, 0, {}, QByteArray(100, '\x7f')));
    EXPECT_TRUE(r.bitmap.isNull());
    EXPECT_TRUE(r.error.contains("truncated")) << r.error.toStdString();
    // One byte short of the last row: refused as well.
    const QByteArray full = makeBmp(3, 2, 24, 0, {}, QByteArray(2 * 12, '\x10'));
    EXPECT_TRUE(decodeBmp(full).ok());
    EXPECT_FALSE(decodeBmp(full.left(full.size() - 4)).ok()); // last row's padding may be missing
    EXPECT_TRUE(decodeBmp(full.left(full.size() - 3)).ok());
    // RLE: a few bytes cannot announce hundreds of megapixels.
    EXPECT_FALSE(decodeBmp(makeBmp(20000, 15000, 8, 1, QByteArray(8, '\0'), bytes({0, 1}))).ok());
    // Nor 100 KB of runs 64 megapixels: at most 128 pixels a byte above a floor of 4 Mi.
    const QByteArray runs = QByteArray(100000, '\xff');
    const ImageLoadResult claim = decodeBmp(makeBmp(8000, 8000, 8, 1, QByteArray(8, '\0'), runs));
    EXPECT_TRUE(claim.bitmap.isNull());
    EXPECT_TRUE(claim.error.contains("far too short")) << claim.error.toStdString();
    EXPECT_TRUE(decodeBmp(makeBmp(4096, 4096, 8, 1, QByteArray(8, '\0'), runs)).ok());
    // Height INT_MIN, zero width, zero height, not a BMP, empty input.
    EXPECT_FALSE(decodeBmp(makeBmp(4, std::numeric_limits<qint32>::min(), 24, 0, {}, QByteArray(64, 0))).ok());
    EXPECT_FALSE(decodeBmp(makeBmp(0, 4, 24, 0, {}, QByteArray(64, 0))).ok());
    EXPECT_FALSE(decodeBmp(makeBmp(4, 0, 24, 0, {}, QByteArray(64, 0))).ok());
    EXPECT_FALSE(decodeBmp(QByteArray("GIF89a........................................")).ok());
    EXPECT_FALSE(decodeBmp({}).error.isEmpty());
    EXPECT_FALSE(readBmpFile(qv::test::baseDir() + "missing.bmp").error.isEmpty());
}

TEST(BmpCodec, Rle8RunsDeltasAndClippingStayInsideTheBitmap)
{
    const QByteArray palette = bytes({0, 0, 0, 0, /*1 red*/ 0, 0, 255, 0, /*2 green*/ 0, 255, 0, 0, /*3 blue*/ 255, 0, 0, 0});
    // 4 x 3, bottom-up. Row 0 (bottom): 6 red pixels (2 clipped), end of line. Row 1: delta
    // (2,0), literal 3 pixels (green, blue, green; 1 clipped) + pad, end of line. Row 2: delta
    // (0,5) far below the bitmap, then a run that must be dropped.
    const QByteArray rle = bytes({6, 1, 0, 0, 0, 2, 2, 0, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 0, 5, 4, 3, 0, 1});
    const ImageLoadResult r = decodeBmp(makeBmp(4, 3, 8, 1, palette, rle));
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    const TBigBitmap& b = r.bitmap;
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(b.pixel(x, 2), 0xFF0000u) << x;
    EXPECT_EQ(b.pixel(0, 1), 0x000000u); // skipped pixels take palette colour 0
    EXPECT_EQ(b.pixel(1, 1), 0x000000u);
    EXPECT_EQ(b.pixel(2, 1), 0x00FF00u);
    EXPECT_EQ(b.pixel(3, 1), 0x0000FFu);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(b.pixel(x, 0), 0x000000u) << x;
    // Cut in the middle of a literal run: what was decoded is kept.
    const ImageLoadResult cut = decodeBmp(makeBmp(4, 1, 8, 1, palette, bytes({0, 4, 1, 2})));
    ASSERT_TRUE(cut.ok());
    EXPECT_EQ(cut.bitmap.pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(cut.bitmap.pixel(1, 0), 0x00FF00u);
    EXPECT_EQ(cut.bitmap.pixel(2, 0), 0x000000u);
}

TEST(BmpCodec, Rle4AlternatesNibbles)
{
    const QByteArray palette = bytes({0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0});
    // 7 x 1: run of 3 alternating colours 1,2; literal of 3 nibbles (3, 1, 2) + a pad byte to
    // 16 bits; a run of 1 (colour 3); end of bitmap.
    const ImageLoadResult r = decodeBmp(makeBmp(7, 1, 4, 2, palette, bytes({3, 0x12, 0, 3, 0x31, 0x20, 1, 0x30, 0, 1})));
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    const uint32_t expected[7] = {0xFF0000, 0x00FF00, 0xFF0000, 0x0000FF, 0xFF0000, 0x00FF00, 0x0000FF};
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(r.bitmap.pixel(x, 0), expected[x]) << x;
}

TEST(BmpCodec, MutatedFilesNeverCrash)
{
    std::mt19937 rng(20240611);
    for (const char* name : {"good/rgb24.bmp", "good/pal8rle.bmp", "good/pal4rle.bmp", "good/rgb16-565.bmp",
                             "good/pal8os2.bmp", "questionable/rgb24rle24.bmp"}) {
        const QByteArray original = qv::test::readFile(testData(QString("bmp/") + name));
        ASSERT_FALSE(original.isEmpty()) << name;
        for (int round = 0; round < 150; ++round) {
            QByteArray m = original;
            const int edits = 1 + int(rng() % 8);
            for (int e = 0; e < edits; ++e) {
                // Mostly the headers, where a change matters most; sometimes the pixel data.
                const int at = (rng() % 4) ? int(rng() % 80) : int(rng() % m.size());
                m[at] = char(rng());
            }
            if (rng() % 5 == 0)
                m.truncate(int(rng() % m.size()));
            const ImageLoadResult r = decodeBmp(m);
            ASSERT_TRUE(r.ok() || !r.error.isEmpty()) << name << " round " << round;
        }
    }
    // Every truncation of a small RLE file.
    const QByteArray rle = qv::test::readFile(testData("bmp/good/pal4rle.bmp"));
    for (int n = 0; n < rle.size(); n += 7)
        EXPECT_TRUE(decodeBmp(rle.left(n)).ok() || n < 102) << n;
}

TEST(BmpCodec, Encode24HasTheExactLayout)
{
    const TBigBitmap bm = TBigBitmap::fromImage(qv::test::patternImage(600, 400), 24);
    const QByteArray b = encodeBmp24(bm);
    ASSERT_EQ(b.size(), 14 + 40 + 600 * 3 * 400);
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(le32(b, 2), quint32(b.size()));       // bfSize
    EXPECT_EQ(le32(b, 6), 0u);                      // reserved
    EXPECT_EQ(le32(b, 10), 54u);                    // bfOffBits
    EXPECT_EQ(le32(b, 14), 40u);                    // biSize
    EXPECT_EQ(le32(b, 18), 600u);                   // width
    EXPECT_EQ(le32(b, 22), 400u);                   // height > 0: bottom-up
    EXPECT_EQ(le16(b, 26), 1u);                     // planes
    EXPECT_EQ(le16(b, 28), 24u);                    // bits
    EXPECT_EQ(le32(b, 30), 0u);                     // BI_RGB
    EXPECT_EQ(le32(b, 34), quint32(600 * 3 * 400)); // biSizeImage
    EXPECT_EQ(le32(b, 38), 0u);                     // no physical resolution
    EXPECT_EQ(le32(b, 42), 0u);
    EXPECT_EQ(le32(b, 46), 0u); // no palette
    EXPECT_EQ(le32(b, 50), 0u);
    // The first stored row is the bottom row, pixels B,G,R.
    const uint32_t bottomLeft = bm.pixel(0, 399);
    EXPECT_EQ(uchar(b[54]), bottomLeft & 0xFF);
    EXPECT_EQ(uchar(b[55]), (bottomLeft >> 8) & 0xFF);
    EXPECT_EQ(uchar(b[56]), bottomLeft >> 16);

    // Odd width: rows padded with zeros to 4 bytes.
    const QByteArray odd = encodeBmp24(TBigBitmap::fromImage(qv::test::patternImage(5, 3), 24));
    ASSERT_EQ(odd.size(), 54 + 16 * 3);
    EXPECT_EQ(le32(odd, 34), 48u);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(odd.mid(54 + row * 16 + 15, 1), QByteArray(1, '\0'));
    EXPECT_TRUE(encodeBmp24(TBigBitmap()).isEmpty());
}

TEST(BmpCodec, WriteThenReadGivesIdenticalPixels)
{
    for (int bits : {24, 32}) {
        for (const QSize s : {QSize(600, 400), QSize(1, 1), QSize(7, 5), QSize(127, 64)}) {
            const TBigBitmap bm = TBigBitmap::fromImage(qv::test::patternImage(s.width(), s.height()), bits);
            const QString path = qv::test::baseDir() + QString("w%1x%2_%3.bmp").arg(s.width()).arg(s.height()).arg(bits);
            QString error;
            ASSERT_TRUE(writeBmpFile(bm, path, &error)) << error.toStdString();
            EXPECT_EQ(qv::test::readFile(path), encodeBmp24(bm));
            const ImageLoadResult r = readBmpFile(path);
            ASSERT_TRUE(r.ok()) << r.error.toStdString();
            EXPECT_TRUE(imagesMatch(r.bitmap.image(), bm.image(), 0, 0, path));
            // Qt reads our files the same way.
            EXPECT_TRUE(imagesMatch(QImage(path), bm.image(), 0, 0, path));
        }
    }
}

TEST(BmpCodec, WriteFailuresAreReported)
{
    const TBigBitmap bm = TBigBitmap::fromImage(qv::test::patternImage(8, 8), 24);
    QString error;
    EXPECT_FALSE(writeBmpFile(bm, qv::test::baseDir() + "no/such/folder/x.bmp", &error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(writeBmpFile(TBigBitmap(), qv::test::baseDir() + "empty.bmp", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(qv::test::baseDir() + "empty.bmp"));
    // A folder in the way of the file.
    QDir().mkpath(qv::test::baseDir() + "taken.bmp");
    error.clear();
    EXPECT_FALSE(writeBmpFile(bm, qv::test::baseDir() + "taken.bmp", &error));
    EXPECT_FALSE(error.isEmpty());
}

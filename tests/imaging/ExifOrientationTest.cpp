#include "ExifOrientation.h"
#include "ImageCompare.h"
#include "JpegCodec.h"
#include "TestEnv.h"
#include <QDir>
#include <gtest/gtest.h>

using namespace qv;

namespace {

// A 3 x 2 bitmap whose pixels are numbered 1..6 row by row:  1 2 3 / 4 5 6.
TBigBitmap numbered(int bits)
{
    TBigBitmap b(3, 2, bits);
    for (int i = 0; i < 6; ++i)
        b.setPixel(i % 3, i / 3, uint32_t(i + 1));
    return b;
}

QString rows(const TBigBitmap& b)
{
    QString s;
    for (int y = 0; y < b.height(); ++y) {
        if (y)
            s += '/';
        for (int x = 0; x < b.width(); ++x)
            s += QString::number(b.pixel(x, y));
    }
    return s;
}

} // namespace

TEST(ExifOrientation, ReadsTheTagOfEveryFileOfTheSet)
{
    for (const QString& scene : {QStringLiteral("Landscape"), QStringLiteral("Portrait")}) {
        for (int n = 0; n <= 8; ++n) {
            const QString path = test::testData(QStringLiteral("orientation/%1_%2.jpg").arg(scene).arg(n));
            EXPECT_EQ(readExifOrientationFile(path), n) << path.toStdString(); // 0 is stored as 0: no turn
            EXPECT_EQ(readExifOrientation(test::readFile(path)), n);
        }
    }
    EXPECT_EQ(readExifOrientationFile(test::testData("photos/DSCN0010.jpg")), 1);
    EXPECT_EQ(readExifOrientationFile(test::testData("bmp/good/rgb24.bmp")), 0);
    EXPECT_EQ(readExifOrientationFile(test::baseDir() + "missing.jpg"), 0);
    EXPECT_EQ(readExifOrientation(QByteArray()), 0);
    EXPECT_EQ(readExifOrientation(QByteArray("\xFF\xD8\xFF\xE1\xFF\xFF" "Exif", 10)), 0);
    // A file we encoded ourselves carries no tag: a turned copy is never turned again.
    EXPECT_EQ(readExifOrientation(encodeJpeg(numbered(24), 90)), 0);
    for (const QString& name : QDir(test::testData("invalid")).entryList(QDir::Files))
        readExifOrientationFile(test::testData("invalid/" + name)); // must simply not crash
}

TEST(ExifOrientation, TurnsEveryOrientationUprightExactly)
{
    // Stored 1 2 3 / 4 5 6; what the camera saw for each tag.
    const std::pair<int, const char*> cases[] = {
        {1, "123/456"}, {2, "321/654"}, {3, "654/321"},    {4, "456/123"},
        {5, "14/25/36"}, {6, "41/52/63"}, {7, "63/52/41"}, {8, "36/25/14"},
        {0, "123/456"}, {9, "123/456"},
    };
    for (int bits : {24, 32}) {
        for (const auto& [orientation, expected] : cases) {
            TBigBitmap b = numbered(bits);
            ASSERT_TRUE(applyExifOrientation(b, orientation));
            EXPECT_EQ(rows(b), QString::fromLatin1(expected)) << "orientation " << orientation << ", " << bits << " bits";
            EXPECT_EQ(b.bitsPerPixel(), bits);
        }
    }
}

TEST(ExifOrientation, CameraFilesComeOutUpright)
{
    for (const QString& scene : {QStringLiteral("Landscape"), QStringLiteral("Portrait")}) {
        const auto load = [&](int n) {
            const QString path = test::testData(QStringLiteral("orientation/%1_%2.jpg").arg(scene).arg(n));
            ImageLoadResult r = decodeJpegFile(path, 8, 32);
            EXPECT_TRUE(r.ok()) << path.toStdString();
            applyExifOrientation(r.bitmap, readExifOrientationFile(path));
            return r.bitmap;
        };
        const TBigBitmap upright = load(1);
        for (int n = 0; n <= 8; ++n) {
            const TBigBitmap b = load(n);
            ASSERT_EQ(b.image().size(), upright.image().size()) << scene.toStdString() << " " << n;
            EXPECT_LT(test::meanAbsDiff(b.image(), upright.image()), 4.0) << scene.toStdString() << " " << n;
        }
        // And a wrong turn would be seen: the same scene mirrored differs clearly.
        TBigBitmap mirrored = upright;
        applyExifOrientation(mirrored, 2);
        EXPECT_GT(test::meanAbsDiff(mirrored.image(), upright.image()), 20.0);
    }
}

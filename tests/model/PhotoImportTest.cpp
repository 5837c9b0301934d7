// Every real file of the test data in tests/data through the import: camera photos, the EXIF
// orientation set, and BMP files good, questionable and bad.
#include "../imaging/ImageCompare.h"
#include "PoolTestSupport.h"
#include <QFile>
#include <cstdio>

using namespace qv;
using namespace qv::test;

namespace {
using PhotoImport = PoolTest;

QStringList filesIn(const QString& folder) { return QDir(testData(folder)).entryList(QDir::Files, QDir::Name); }

QImage smoothly(const QImage& image, QSize size)
{
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
} // namespace

TEST_F(PhotoImport, EveryCameraPhotoWithItsCopyAndThumbnail)
{
    const QStringList photos = filesIn("photos");
    for (int k = 0; k < photos.size(); ++k) {
        const QString src = testData("photos/" + photos[k]);
        SCOPED_TRACE(photos[k].toStdString());
        import(src);
        const JpegHeader h = readJpegHeaderFile(src);
        const TBigBitmap reference = decodeJpegFile(src, jpegScaleFor(h.width, h.height)).bitmap;
        const TInfos& e = st.pool[k];
        EXPECT_EQ(QSize(e.srcWidth, e.srcHeight), reference.image().size());

        const ImageLoadResult thumb = readBmpFile(thumbOf(k, false));
        ASSERT_EQ(thumb.bitmap.image().size(), thumbSizeFor(e.srcWidth, e.srcHeight));
        EXPECT_TRUE(thumbnailSamples(thumb.bitmap, reference));

        // The copy: full size, or half above 4096; at an eighth it looks like the source at an eighth.
        const int scale = jpegFullScaleFor(h.width, h.height);
        const QSize copySize((h.width + scale - 1) / scale, (h.height + scale - 1) / scale);
        EXPECT_EQ(jpegSize(copyOf(k, false)), copySize);
        const QImage copy = decodeJpegFile(copyOf(k, false), 8).bitmap.image();
        const QImage eighth = decodeJpegFile(src, 8).bitmap.image();
        EXPECT_LT(meanAbsDiff(copy, scale == 1 ? eighth : smoothly(eighth, copy.size())), 3.0);
    }
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
}

TEST_F(PhotoImport, OrientationSetComesOutUprightAndStaysSoAfterARebuild)
{
    // Entries 0..8: Landscape_0..8; 9..17: Portrait_0..8. Orientation 0 is no valid tag.
    const QStringList scenes = {"Landscape", "Portrait"};
    for (const QString& scene : scenes)
        for (int n = 0; n <= 8; ++n)
            import(testData(QStringLiteral("orientation/%1_%2.jpg").arg(scene).arg(n)));
    ASSERT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();

    auto checkUpright = [&](const char* when) {
        for (int s = 0; s < 2; ++s) {
            const int upright = s * 9 + 1;
            const QImage thumb1 = readBmpFile(thumbOf(upright, false)).bitmap.image();
            const QImage copy1 = decodeJpegFile(copyOf(upright, false), 8).bitmap.image();
            EXPECT_EQ(thumb1.size(), s == 0 ? QSize(225, 150) : QSize(150, 225)) << when;
            EXPECT_EQ(jpegSize(copyOf(upright, false)), s == 0 ? QSize(1800, 1200) : QSize(1200, 1800)) << when;
            for (int n = 0; n <= 8; ++n) {
                const int k = s * 9 + n;
                SCOPED_TRACE(QStringLiteral("%1 %2_%3").arg(when, scenes[s]).arg(n).toStdString());
                EXPECT_EQ(QSize(st.pool[k].srcWidth, st.pool[k].srcHeight), thumb1.size());
                EXPECT_LT(meanAbsDiff(readBmpFile(thumbOf(k, false)).bitmap.image(), thumb1), 4.0);
                EXPECT_EQ(jpegSize(copyOf(k, false)), jpegSize(copyOf(upright, false)));
                EXPECT_LT(meanAbsDiff(decodeJpegFile(copyOf(k, false), 8).bitmap.image(), copy1), 4.0);
            }
        }
    };
    checkUpright("imported");

    // Our copies carry no orientation tag, so a rebuild leaves them as they are: not turned twice.
    QList<QByteArray> copies;
    for (int k = 0; k < 18; ++k)
        copies << readFile(copyOf(k, false));
    doc.infosLoad();
    ASSERT_EQ(doc.gaCount(), 18);
    checkUpright("rebuilt");
    for (int k = 0; k < 18; ++k)
        EXPECT_EQ(readFile(copyOf(k, false)), copies[k]) << k;
}

TEST_F(PhotoImport, GoodBmpFilesKeepEveryPixel)
{
    const QStringList files = filesIn("bmp/good");
    for (int k = 0; k < files.size(); ++k) {
        const QString src = testData("bmp/good/" + files[k]);
        SCOPED_TRACE(files[k].toStdString());
        import(src);
        const ImageLoadResult reference = readBmpFile(src);
        ASSERT_TRUE(reference.ok());
        EXPECT_EQ(QSize(st.pool[k].srcWidth, st.pool[k].srcHeight), reference.bitmap.image().size());
        EXPECT_EQ(readFile(copyOf(k, true)), readFile(src));
        // Smaller than 296 pixels: the thumbnail is the picture itself.
        EXPECT_TRUE(imagesMatch(readBmpFile(thumbOf(k, true)).bitmap.image(), reference.bitmap.image()));
    }
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
}

TEST_F(PhotoImport, DamagedFilesImportWhatCanBeDecodedOrSayWhy)
{
    for (const QString& folder : {QStringLiteral("invalid"), QStringLiteral("bmp/questionable"), QStringLiteral("bmp/bad")}) {
        for (const QString& name : filesIn(folder)) {
            const QString src = testData(folder + "/" + name);
            SCOPED_TRACE(src.toStdString());
            dialogs.messages.clear();
            const QStringList filesBefore = imgFiles();
            if (!doc.FileExtSub(src, 0)) { // nothing that could be read: no entry, no file
                EXPECT_EQ(messages(), QStringList{"message: 画像が読み込めませんでした。ファイル名=" + src});
                EXPECT_EQ(imgFiles(), filesBefore);
                continue;
            }
            const int k = int(st.pool.size()) - 1;
            const TInfos& e = st.pool[k];
            const bool jpeg = photoFileKind(src) == 1;
            EXPECT_GT(e.srcWidth, 0);
            EXPECT_EQ(readBmpFile(thumbOf(k, !jpeg)).bitmap.image().size(), thumbSizeFor(e.srcWidth, e.srcHeight));
            EXPECT_FALSE(messages().contains(kThumbFailed));
            if (!jpeg) {
                EXPECT_EQ(readFile(copyOf(k, true)), readFile(src)) << "a BMP is copied as it is";
            }
            EXPECT_TRUE(QFile::exists(copyOf(k, !jpeg))) << "a copy that could not be re-encoded is kept";
            std::printf("  %-36s %4dx%-4d %s\n", qPrintable(folder + "/" + name), e.srcWidth, e.srcHeight,
                        qPrintable(messages().join(", ")));
        }
    }
}

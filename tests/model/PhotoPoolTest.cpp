#include "../imaging/ImageCompare.h"
#include "PoolTestSupport.h"
#include "Resize.h"
#include <QFile>

using namespace qv;
using namespace qv::test;

namespace {
using PhotoPool = PoolTest;
}

TEST(PhotoPoolNames, FileKindsAndGridRows)
{
    for (const char* p : {"/a/b.jpg", "/a/B.JPG", "c.Jpeg", "d.JPEG"})
        EXPECT_EQ(photoFileKind(QString::fromLatin1(p)), 1) << p;
    for (const char* p : {"e.bmp", "/x.y/F.BMP"})
        EXPECT_EQ(photoFileKind(QString::fromLatin1(p)), 2) << p;
    for (const char* p : {"g.png", "h.jpg.txt", "jpg", "/dir.jpg/noext", ""})
        EXPECT_EQ(photoFileKind(QString::fromLatin1(p)), 0) << p;
    EXPECT_EQ(poolGridRows(0), 0);
    EXPECT_EQ(poolGridRows(4), 1);
    EXPECT_EQ(poolGridRows(5), 2);
    EXPECT_EQ(poolGridRows(150), 38);
}

TEST_F(PhotoPool, BigJpegIsDecodedAtAnEighthAndCopiedAtHalf)
{
    const QString src = makeJpeg("big.jpg", 4000, 3000);
    import(src);
    const TInfos& e = st.pool[0];
    EXPECT_EQ(e.name, QStringLiteral("写真"));
    EXPECT_FALSE(e.isPicture);
    EXPECT_EQ(QSize(e.srcWidth, e.srcHeight), QSize(500, 375)) << "s = 3500 decodes at 1/8";
    EXPECT_EQ(jpegSize(copyOf(0, false)), QSize(2000, 1500)) << "4000 + 3000 > 4096 copies at half size";
    const ImageLoadResult thumb = readBmpFile(thumbOf(0, false));
    ASSERT_TRUE(thumb.ok());
    EXPECT_EQ(thumb.bitmap.image().size(), QSize(296, 222));
    EXPECT_EQ(doc.scratch.image().size(), QSize(296, 222)) << "500 < 1480: no page-width shrink first";
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(hooks, QStringList({"show", "strip", "hide"}));
    EXPECT_EQ(imgFiles(), QStringList({"0_.jpg", "t0_.bmp"}));

    // The thumbnail samples the source as decoded at 1/8; the copy at 1/4 looks like it too.
    const TBigBitmap eighth = decodeJpegFile(src, 8).bitmap;
    EXPECT_TRUE(thumbnailSamples(thumb.bitmap, eighth));
    EXPECT_LT(meanAbsDiff(decodeJpegFile(copyOf(0, false), 4).bitmap.image(), eighth.image()), 2.0);

    // Printing reads the copy back at full size (half for sources over 4096).
    EXPECT_EQ(loadPoolPhoto(img(), st.pool, 0).bitmap.image().size(), QSize(2000, 1500));
    EXPECT_FALSE(loadPoolPhoto(img(), st.pool, 1).ok());
    EXPECT_FALSE(loadPoolPhoto(img(), st.pool, -1).ok());
}

TEST_F(PhotoPool, BmpIsCopiedByteForByteWithAThumbnail)
{
    for (int k = 0; k < 3; ++k)
        import(makeJpeg(QStringLiteral("p%1.jpg").arg(k), 320 + k, 240));
    const QString src = makeBmp("wide.bmp", 600, 400);
    import(src);
    const TInfos& e = st.pool[3];
    EXPECT_EQ(e.name, QStringLiteral("画像"));
    EXPECT_TRUE(e.isPicture);
    EXPECT_EQ(QSize(e.srcWidth, e.srcHeight), QSize(600, 400));
    EXPECT_EQ(readFile(copyOf(3, true)), readFile(src));
    const ImageLoadResult thumb = readBmpFile(thumbOf(3, true));
    ASSERT_TRUE(thumb.ok());
    ASSERT_EQ(thumb.bitmap.image().size(), QSize(296, 197));
    // Nearest pixel with 16.16 steps 132841 x 133065: (148, 98) reads (299, 198) and the last
    // pixel (597, 397).
    const TBigBitmap source = readBmpFile(src).bitmap;
    EXPECT_EQ(thumb.bitmap.pixel(0, 0), source.pixel(0, 0));
    EXPECT_EQ(thumb.bitmap.pixel(148, 98), source.pixel(299, 198));
    EXPECT_EQ(thumb.bitmap.pixel(295, 196), source.pixel(597, 397));
    EXPECT_TRUE(thumbnailSamples(thumb.bitmap, source));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(PhotoPool, DeletingMovesLaterEntriesDown)
{
    import(makeJpeg("a.jpg", 320, 240));
    import(makeBmp("b.bmp", 100, 80));
    import(makeJpeg("c.jpg", 400, 200));
    const QByteArray copy2 = readFile(copyOf(2, false)), thumb2 = readFile(thumbOf(2, false));
    const QByteArray copy0 = readFile(copyOf(0, false));
    hooks.clear();

    doc.gaDelete(1);
    EXPECT_EQ(imgFiles(), QStringList({"0_.jpg", "1_.jpg", "t0_.bmp", "t1_.bmp"}));
    EXPECT_EQ(readFile(copyOf(0, false)), copy0);
    EXPECT_EQ(readFile(copyOf(1, false)), copy2);
    EXPECT_EQ(readFile(thumbOf(1, false)), thumb2);
    ASSERT_EQ(doc.gaCount(), 2);
    EXPECT_EQ(st.pool[1].name, QStringLiteral("写真"));
    EXPECT_EQ(QSize(st.pool[1].srcWidth, st.pool[1].srcHeight), QSize(400, 200));
    EXPECT_EQ(hooks, QStringList({"rows 1", "strip"}));

    hooks.clear();
    doc.gaDelete(2);
    doc.gaDelete(-1);
    EXPECT_EQ(doc.gaCount(), 2);
    EXPECT_TRUE(hooks.isEmpty());
}

TEST_F(PhotoPool, DeletingDropsStraysOfTheOtherForm)
{
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
        import(makeJpeg(QString::fromLatin1(n), 320, 240));
    // A picture copy left at index 1 would win over entry 1's photo copy at the next rebuild.
    writeFile(copyOf(1, true), readFile(makeBmp("stray.bmp", 50, 50)));
    doc.gaDelete(0);
    EXPECT_EQ(imgFiles(), QStringList({"0_.jpg", "1_.jpg", "t0_.bmp", "t1_.bmp"}));
}

TEST_F(PhotoPool, RebuildTakesAPictureOverAPhotoOfTheSameNumber)
{
    QDir().mkpath(img());
    writeFile(copyOf(0, false), readFile(makeJpeg("a.jpg", 640, 480)));
    writeFile(copyOf(1, true), readFile(makeBmp("b.bmp", 300, 200)));
    writeFile(copyOf(1, false), readFile(makeJpeg("c.jpg", 320, 240)));
    const QByteArray copy0 = readFile(copyOf(0, false));

    doc.infosLoad();
    ASSERT_EQ(doc.gaCount(), 2);
    EXPECT_FALSE(st.pool[0].isPicture);
    EXPECT_EQ(QSize(st.pool[0].srcWidth, st.pool[0].srcHeight), QSize(320, 240)) << "s = 560 decodes at 1/2";
    EXPECT_TRUE(st.pool[1].isPicture);
    EXPECT_EQ(st.pool[1].name, QStringLiteral("画像"));
    EXPECT_EQ(imgFiles(), QStringList({"0_.jpg", "1.bmp", "t0_.bmp", "t1.bmp"}));
    EXPECT_EQ(readFile(copyOf(0, false)), copy0) << "the pool's own copy keeps its bytes";
    EXPECT_EQ(hooks, QStringList({"rows 0", "strip", "caption 画像庫処理中..", "progress 0..2", "hourglass",
                                  "show", "strip", "hide", "progress 1", "rows 1",
                                  "show", "strip", "hide", "progress 2", "rows 1", "hide progress", "arrow"}));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(PhotoPool, RebuildClosesGapsByMovingFilesDown)
{
    QDir().mkpath(img());
    writeFile(copyOf(0, false), readFile(makeJpeg("a.jpg", 320, 240)));
    writeFile(copyOf(2, false), readFile(makeJpeg("b.jpg", 400, 240)));
    writeFile(thumbOf(2, false), QByteArray("old thumbnail"));
    writeFile(copyOf(5, true), readFile(makeBmp("c.bmp", 90, 60)));
    const QByteArray copy2 = readFile(copyOf(2, false)), copy5 = readFile(copyOf(5, true));

    doc.infosLoad();
    ASSERT_EQ(doc.gaCount(), 3);
    EXPECT_EQ(imgFiles(), QStringList({"0_.jpg", "1_.jpg", "2.bmp", "t0_.bmp", "t1_.bmp", "t2.bmp"}));
    EXPECT_EQ(readFile(copyOf(1, false)), copy2);
    EXPECT_EQ(readFile(copyOf(2, true)), copy5);
    EXPECT_EQ(QSize(st.pool[2].srcWidth, st.pool[2].srcHeight), QSize(90, 60));

    // The next import gets number 3 and its own copy, nothing left over from before.
    import(makeJpeg("d.jpg", 200, 100));
    EXPECT_EQ(jpegSize(copyOf(3, false)), QSize(200, 100));
}

TEST_F(PhotoPool, RebuildKeepsLargeCopiesAtTheirSize)
{
    // A copy of 3000 x 2000 (from a 6000 x 4000 source) must not be halved again at every restart.
    QDir().mkpath(img());
    const QString big = makeJpeg("big.jpg", 3000, 2000);
    writeFile(copyOf(0, false), readFile(big));
    doc.infosLoad();
    ASSERT_EQ(doc.gaCount(), 1);
    EXPECT_EQ(readFile(copyOf(0, false)), readFile(big));
    EXPECT_EQ(QSize(st.pool[0].srcWidth, st.pool[0].srcHeight), QSize(375, 250));
    EXPECT_EQ(readBmpFile(thumbOf(0, false)).bitmap.image().size(), QSize(296, 197));
}

TEST_F(PhotoPool, RebuildWithoutImgFolderMakesOne)
{
    doc.infosLoad();
    EXPECT_TRUE(QFileInfo(img()).isDir());
    EXPECT_EQ(doc.gaCount(), 0);
    EXPECT_EQ(hooks, QStringList({"rows 0", "strip"}));
}

TEST_F(PhotoPool, FailuresShowTheirMessagesAndLoseNothing)
{
    // No picture in the file: no entry, no file, one message naming the file.
    import(makeJpeg("good.jpg", 320, 240));
    const QByteArray photo = readFile(copyOf(0, false)), bmp = readFile(makeBmp("whole.bmp", 40, 30));
    const std::pair<const char*, QByteArray> unreadable[] = {
        {"notes.jpg", "this is not a photo"},
        {"empty.bmp", {}},
        {"png.jpg", QByteArray::fromHex("89504e470d0a1a0a0000000d49484452")},
        {"cut.jpg", photo.left(300)},
        {"cut.bmp", bmp.left(20)},
    };
    for (const auto& [name, bytes] : unreadable) {
        const QString src = baseDir() + "src/" + name;
        writeFile(src, bytes);
        dialogs.messages.clear();
        EXPECT_FALSE(doc.FileExtSub(src, 0)) << name;
        EXPECT_EQ(messages(), QStringList{"message: 画像が読み込めませんでした。ファイル名=" + src});
        EXPECT_EQ(doc.gaCount(), 1) << name;
        EXPECT_EQ(imgFiles(), QStringList({"0_.jpg", "t0_.bmp"})) << name;
    }

    // A file of the new entry cannot be written: its message only, and the pool, its files and
    // the next number are as before (an entry without its copy would be a photo the book lacks).
    const std::pair<QString, QString> blocked[] = {{thumbOf(1, false), kThumbFailed},
                                                   {copyOf(1, true) + "/blocked", kCopyFailed}};
    for (const auto& [blocker, message] : blocked) {
        dialogs.messages.clear();
        QDir().mkpath(blocker); // a folder under the file's name
        const QStringList before = imgFiles();
        EXPECT_FALSE(doc.FileExtSub(message == kThumbFailed ? makeJpeg("b.jpg", 200, 150) : makeBmp("c.bmp", 120, 90), 0));
        EXPECT_EQ(messages(), QStringList({message}));
        EXPECT_EQ(doc.gaCount(), 1);
        EXPECT_EQ(imgFiles(), before);
    }
}

// Every decode the import makes is checked before anything is added: a photo the screen
// picture can be made of but not the copy (at this budget) is a photo that cannot be read.
TEST_F(PhotoPool, APhotoOverTheBudgetIsUnreadableNotASaveFailure)
{
    const QString src = testData("photos/iphone_hdr_NO.jpg"); // 3264 x 2448: 408 x 306 on screen, 1632 x 1224 copied
    setPictureByteBudget(6 << 20);
    const bool added = doc.FileExtSub(src, 0);
    setPictureByteBudget(0);
    EXPECT_FALSE(added);
    EXPECT_EQ(messages(), QStringList{"message: 画像が読み込めませんでした。ファイル名=" + src});
    EXPECT_EQ(doc.gaCount(), 0);
    EXPECT_TRUE(imgFiles().isEmpty());
    import(src); // at the normal budget it is a photo like any other
}

TEST_F(PhotoPool, ImportsNothingItCannotName)
{
    const QString png = baseDir() + "src/a.png";
    writeFile(png, readFile(testData("photos/Canon_40D.jpg")));
    EXPECT_FALSE(doc.FileExtSub(png, 0));
    EXPECT_EQ(doc.gaCount(), 0);

    // The img folder cannot be made: false, no entry, no message.
    writeFile(doc.work().root().chopped(1), QByteArray("a file where the work folder belongs"));
    EXPECT_FALSE(doc.FileExtSub(copyTestData("photos/Canon_40D.jpg"), 0));
    EXPECT_EQ(doc.gaCount(), 0);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(hooks.isEmpty());
}

TEST_F(PhotoPool, LeftoversAtANewNumberAreReplaced)
{
    QDir().mkpath(img());
    writeFile(copyOf(0, false), readFile(makeJpeg("old.jpg", 100, 100)));
    writeFile(copyOf(0, true), readFile(makeBmp("old.bmp", 30, 30)));
    writeFile(thumbOf(0, true), QByteArray("old"));
    import(makeJpeg("new.jpg", 320, 200));
    EXPECT_EQ(jpegSize(copyOf(0, false)), QSize(320, 200));
    EXPECT_EQ(imgFiles(), QStringList({"0_.jpg", "t0_.bmp"}));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(PhotoPool, ReadOnlySourceGivesAWritableCopy)
{
    const QString src = makeBmp("ro.bmp", 64, 48);
    QFile::setPermissions(src, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    import(src);
    EXPECT_TRUE(QFile::permissions(copyOf(0, true)) & QFileDevice::WriteOwner);
    EXPECT_EQ(readFile(copyOf(0, true)), readFile(src));
}

TEST_F(PhotoPool, VeryWidePhotosShrinkToThePageWidthBeforeTheThumbnail)
{
    // 12000 x 1000 decodes at 1/8 to 1500 x 125, wider than a Palm page (1480): it is shrunk
    // bilinear to 1480 x 123 first, with the SIMD variant when the processor has it.
    const QString src = makeJpeg("wide.jpg", 12000, 1000);
    const TBigBitmap decoded = decodeJpegFile(src, 8, 32).bitmap;
    ASSERT_EQ(decoded.image().size(), QSize(1500, 125));
    for (bool simd : {true, false}) {
        doc.useMMX = simd;
        import(src);
        const int n = doc.gaCount() - 1;
        EXPECT_EQ(QSize(st.pool[n].srcWidth, st.pool[n].srcHeight), QSize(1500, 125));
        const TBigBitmap page = simd ? resizeBilinearMMX(decoded, 1480, 123) : resizeBilinear(decoded, 1480, 123);
        const TBigBitmap thumb = readBmpFile(thumbOf(n, false)).bitmap;
        EXPECT_EQ(thumb.image().size(), QSize(296, 24));
        EXPECT_TRUE(thumbnailSamples(thumb, page)) << (simd ? "SIMD" : "plain");
    }
}

TEST_F(PhotoPool, ThumbnailLengthFollowsTheBookType)
{
    // 1/8: 300 x 225. Fern S: c = 210 / 300 as a 32-bit float is 0.69999999, so 300 becomes 209.
    const QString src = makeJpeg("mid.jpg", 2400, 1800);
    const std::pair<const char*, QSize> types[] = {
        {"Reed", {256, 192}}, {"Fern S", {209, 157}}, {"Cedar", {300, 225}}, {"Palm", {296, 222}}};
    for (const auto& [key, size] : types) {
        doc.bookType = QString::fromLatin1(key);
        import(src);
        EXPECT_EQ(readBmpFile(thumbOf(doc.gaCount() - 1, false)).bitmap.image().size(), size) << key;
    }
}

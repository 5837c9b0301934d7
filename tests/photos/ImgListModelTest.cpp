// The folder list: entries and their facts, a folder changing under the list, thumbnails of
// good, turned, damaged and hostile files, and a folder of 2,000 photos.
#include "BrowserTestSupport.h"
#include "ImgListModel.h"
#include "PictureTestFiles.h"
#include <QPersistentModelIndex>
#include <unistd.h>

namespace qv::test {
namespace {

QStringList names(const TImgListModel& m)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.item(r).displayName;
    return out;
}

} // namespace

TEST(ImgListModel, ListsFoldersFirstWithTheirShellFacts)
{
    const QString dir = makeFolder("list");
    QDir().mkpath(dir + "Zeta");
    copyTo(photoData("Canon_40D.jpg"), dir + "img10.JPG");
    copyTo(photoData("Canon_40D.jpg"), dir + "img2.jpeg");
    writeSolidBmp(dir + "Pic.bmp", 3, 2, qRgb(1, 2, 3));
    writeFile(dir + "notes.txt", QByteArray(2048, 'x'));
    writeFile(dir + "data.qqq9", QByteArray(1023, 'x'));
    writeFile(dir + ".hidden.jpg", "x");

    TImgListModel m;
    ASSERT_TRUE(m.setFolder(dir));
    EXPECT_EQ(names(m), QStringList({"Zeta", "data.qqq9", "img2.jpeg", "img10.JPG", "notes.txt", "Pic.bmp"}));
    struct Row {
        ShellImageType type;
        bool folder;
        const char* size;
    } const want[] = {
        {ShellImageType::Folder, true, ""},   {ShellImageType::None, false, "1KB"},
        {ShellImageType::Jpeg, false, "8KB"}, {ShellImageType::Jpeg, false, "8KB"},
        {ShellImageType::Other, false, "3KB"}, {ShellImageType::Bmp, false, "1KB"},
    };
    for (int r = 0; r < m.rowCount(); ++r) {
        SCOPED_TRACE(m.item(r).displayName.toStdString());
        EXPECT_EQ(m.item(r).imageType, want[r].type);
        EXPECT_EQ(m.item(r).isFolder, want[r].folder);
        EXPECT_EQ(m.item(r).sizeText(), QString::fromLatin1(want[r].size));
        EXPECT_FALSE(m.item(r).typeName.isEmpty());
    }
    EXPECT_FALSE(m.setFolder(dir + "missing"));
    EXPECT_EQ(m.folder() + "/", dir) << "a text that names no folder leaves the list";
}

TEST(ImgListModel, FollowsTheFolderAsItChanges)
{
    const QString dir = makeFolder("live");
    writeFile(dir + "b.txt", "b");
    writeFile(dir + "d.txt", "d");
    TImgListModel m;
    ASSERT_TRUE(m.setFolder(dir));
    const QPersistentModelIndex d = m.index(1);

    copyTo(photoData("Canon_40D.jpg"), dir + "a.jpg");
    copyTo(photoData("Canon_40D.jpg"), dir + "c.jpg");
    EXPECT_TRUE(waitUntil([&] { return m.rowCount() == 4; })) << "copied photos appear";
    EXPECT_EQ(names(m), QStringList({"a.jpg", "b.txt", "c.jpg", "d.txt"}));
    EXPECT_EQ(d.row(), 3) << "rows that stay keep their identity (selection, scrolling)";

    QFile::remove(dir + "b.txt");
    EXPECT_TRUE(waitUntil([&] { return m.rowCount() == 3; }));
    EXPECT_EQ(names(m), QStringList({"a.jpg", "c.jpg", "d.txt"}));

    QDir(dir).removeRecursively();
    EXPECT_TRUE(waitUntil([&] { return m.folder() + "/" == baseDir(); })) << "a removed folder leaves its parent shown";
}

TEST(ImgListModel, ThumbnailsOfGoodTurnedDamagedAndHostileFiles)
{
    const QString dir = makeFolder("thumbs");
    copyTo(photoData("Canon_40D.jpg"), dir + "good.jpg");
    copyTo(photoData("Landscape_6.jpg"), dir + "turned.jpg");
    QStringList hostile;
    for (const QString& sub : {QStringLiteral("invalid"), QStringLiteral("bmp-bad")})
        for (const QString& f : QDir(photoData(sub)).entryList(QDir::Files)) {
            copyTo(photoData(sub + "/" + f), dir + "x-" + f);
            hostile << "x-" + f;
        }
    writeFile(dir + "empty.jpg", {});
    writeFile(dir + "text.bmp", "BM not really");

    TImgListModel m;
    ASSERT_TRUE(m.setFolder(dir));
    m.requestThumbnails(0, m.rowCount() - 1, 0);
    m.waitForThumbnails();

    auto state = [&](const QString& name) { return m.thumbState(m.rowOfPath(dir + name)); };
    auto thumb = [&](const QString& name) { return m.thumbnail(m.rowOfPath(dir + name)); };
    EXPECT_EQ(thumb("good.jpg").size(), QSize(84, 57));
    // Stored on its side: the thumbnail stands the way the camera was held.
    EXPECT_EQ(thumb("turned.jpg").size(), QSize(84, 56));
    for (const QString& name : {QStringLiteral("empty.jpg"), QStringLiteral("text.bmp"), QStringLiteral("x-reallybig.bmp")})
        EXPECT_EQ(state(name), TImgListModel::ThumbBroken) << name.toStdString();
    for (const QString& name : hostile) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_NE(state(name), TImgListModel::NoThumb);
        if (state(name) == TImgListModel::ThumbReady) {
            EXPECT_LE(std::max(thumb(name).width(), thumb(name).height()), 84);
        }
    }
    EXPECT_EQ(m.rowCount(), hostile.size() + 4);
}

TEST(ImgListModel, AFileThatVanishesIsDropped)
{
    const QString dir = makeFolder("vanish");
    copyTo(photoData("Canon_40D.jpg"), dir + "a.jpg");
    copyTo(photoData("Canon_40D.jpg"), dir + "b.jpg");
    TImgListModel m;
    ASSERT_TRUE(m.setFolder(dir));
    QFile::remove(dir + "a.jpg");
    m.requestThumbnails(0, 1, 0);
    m.waitForThumbnails();
    EXPECT_TRUE(waitUntil([&] { return m.rowCount() == 1; }));
    EXPECT_EQ(m.thumbState(0), TImgListModel::ThumbReady);
}

TEST(ImgListModel, TwoThousandPhotosAreListedAndOnlyWhatIsAskedForIsDecoded)
{
    const QString dir = makeFolder("many");
    const QString source = dir + "source.bin";
    copyTo(photoData("Canon_40D.jpg"), source);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(::link(QFile::encodeName(source).constData(), QFile::encodeName(dir + QStringLiteral("p%1.jpg").arg(i)).constData()), 0);
    QFile::remove(source);

    TImgListModel m;
    ASSERT_TRUE(m.setFolder(dir));
    ASSERT_EQ(m.rowCount(), 2000);
    EXPECT_EQ(m.item(2).displayName, "p2.jpg");
    EXPECT_EQ(m.item(10).displayName, "p10.jpg");

    m.requestThumbnails(500, 509, 5);
    m.waitForThumbnails();
    int made = 0;
    for (int r = 0; r < m.rowCount(); ++r)
        made += m.thumbState(r) == TImgListModel::ThumbReady;
    EXPECT_EQ(made, 20) << "the rows asked for and five on either side";
    EXPECT_EQ(m.thumbState(495), TImgListModel::ThumbReady);
    EXPECT_EQ(m.thumbState(494), TImgListModel::NoThumb);

    m.setCacheLimit(100 << 10);
    m.requestThumbnails(0, 199, 0);
    m.waitForThumbnails();
    EXPECT_LE(m.cachedBytes(), 100 << 10) << "the cache stays within its bound";
}

TEST(ImgListModel, ThumbnailsComeBackFromTheDiskCache)
{
    const QString dir = makeFolder("cached");
    const QString photo = dir + "p.jpg", cacheFile = makeFolder("thumb") + "cached";
    copyTo(photoData("Canon_40D.jpg"), photo);
    auto thumbOf = [&](const QString& cache) {
        TImgListModel m;
        m.setDiskCacheFile(cache);
        EXPECT_TRUE(m.setFolder(dir));
        m.requestThumbnails(0, 0, 0);
        m.waitForThumbnails();
        return m.thumbState(0) == TImgListModel::ThumbReady ? m.thumbnail(0).size() : QSize();
    };
    EXPECT_EQ(thumbOf(cacheFile), QSize(84, 57));
    // The photo's bytes spoilt, its size and time kept: only the cache can still show it.
    const QDateTime when = QFileInfo(photo).lastModified();
    {
        QFile f(photo);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.write(QByteArray(int(f.size()), 'x'));
        f.flush();
        f.setFileTime(when, QFileDevice::FileModificationTime);
    }
    EXPECT_EQ(thumbOf(cacheFile), QSize(84, 57));
    EXPECT_EQ(thumbOf({}), QSize()) << "without the cache the spoilt photo is broken";

    // A torn or foreign cache file is no harm.
    const QByteArray good = readFile(cacheFile);
    writeFile(cacheFile, good.left(good.size() - 5));
    EXPECT_EQ(thumbOf(cacheFile), QSize()) << "the torn entry is not used";
    writeFile(cacheFile, "not a cache at all");
    EXPECT_EQ(thumbOf(cacheFile), QSize());
    EXPECT_EQ(readFile(cacheFile), QByteArray("not a cache at all")) << "a foreign file is left alone";
}

TEST(ImgListModel, ThumbnailScaleAndSizeLimit)
{
    struct Case {
        int w, h, scale;
    } const cases[] = {{6000, 4000, 8}, {700, 500, 8}, {671, 100, 4}, {200, 300, 2}, {167, 100, 1}, {84, 84, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(thumbScaleFor(c.w, c.h, 84), c.scale) << c.w << "x" << c.h;

    // A BMP whose header claims more than a thumbnail may cost is broken without a decode,
    // though its data honestly describes it.
    EXPECT_EQ(thumbnailOfBytes(runsBmp(5000, 4000), false, 84).outcome, ThumbOutcome::Broken);
    const ThumbResult fits = thumbnailOfBytes(runsBmp(4000, 4000), false, 84);
    ASSERT_EQ(fits.outcome, ThumbOutcome::Ready);
    EXPECT_EQ(fits.image.size(), QSize(84, 84));
}

} // namespace qv::test

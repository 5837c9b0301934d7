// Adding several photos decodes them on worker threads: the pool must come out exactly as
// importing them one by one leaves it, entries, files and messages alike.
#include "BrowserTestSupport.h"
#include "PhotoPool.h"
#include "PoolBrowser.h"
#include "Unit2.h"

namespace qv::test {

TEST(ParallelImport, LeavesThePoolAsOneByOneImportsDo)
{
    const QString src = makeFolder("src");
    const QStringList names = {"turned.jpg", "damaged.jpg", "picture.bmp", "small.jpg", "turned2.JPEG"};
    copyTo(photoData("Landscape_6.jpg"), src + names[0]);
    copyTo(photoData("invalid/image01137.jpg"), src + names[1]);
    writeSolidBmp(src + names[2], 30, 20, qRgb(10, 200, 30));
    copyTo(photoData("Canon_40D.jpg"), src + names[3]);
    copyTo(photoData("Landscape_6.jpg"), src + names[4]);

    struct Book {
        ScriptedDialogs dialogs;
        TMainState st;
        TForm2 doc;
        QStringList shown; // busy panel and strip, in order
        explicit Book(const QString& base) : doc(st, base)
        {
            st.busy.show = [this] { // shown twice in a row is still shown once
                if (shown.isEmpty() || shown.last() != "show")
                    shown << "show";
            };
            st.busy.hide = [this] { shown << "hide"; };
            st.window.refreshPhotoStrip = [this] { shown << QStringLiteral("strip %1").arg(st.pool.size()); };
        }
    };
    Book one(baseDir() + "one/"), all(baseDir() + "all/");
    QVector<BrowserEntry> entries;
    for (const QString& n : names) {
        ASSERT_TRUE(one.doc.FileExtSub(src + n, 0));
        entries.append({src + n, true, true});
    }
    EXPECT_EQ(addPhotosToPool(all.doc, entries, [](int) {}).added, names.size());

    ASSERT_EQ(all.st.pool.size(), one.st.pool.size());
    for (int i = 0; i < one.st.pool.size(); ++i) {
        const TInfos &a = all.st.pool[i], &b = one.st.pool[i];
        EXPECT_TRUE(a.name == b.name && a.isPicture == b.isPicture && a.srcWidth == b.srcWidth && a.srcHeight == b.srcHeight)
            << "entry " << i;
    }
    const QString imgOne = one.doc.work().imgFolder(), imgAll = all.doc.work().imgFolder();
    const QStringList files = QDir(imgOne).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(QDir(imgAll).entryList(QDir::Files, QDir::Name), files);
    for (const QString& f : files)
        EXPECT_EQ(readFile(imgAll + f), readFile(imgOne + f)) << f.toStdString();
    EXPECT_EQ(all.dialogs.messages, one.dialogs.messages);
    EXPECT_EQ(all.shown, one.shown);
}

TEST(ParallelImport, StopsAtTheFirstPhotoWhoseFilesCannotBeWritten)
{
    // A folder under the first copy's name fails its write as a full disk would; the later
    // photos (one would fit, as a picture) are not tried: one message, nothing added.
    const QString src = makeFolder("stop");
    QVector<BrowserEntry> entries;
    for (const QString n : {"a.jpg", "b.bmp", "c.jpg"}) {
        if (n.endsWith("bmp"))
            writeSolidBmp(src + n, 30, 20, qRgb(1, 2, 3));
        else
            copyTo(photoData("Canon_40D.jpg"), src + n);
        entries.append({src + n, true, true});
    }
    ScriptedDialogs dialogs;
    TMainState st;
    TForm2 doc(st, baseDir() + "stop-book/");
    ASSERT_TRUE(QDir().mkpath(poolCopyPath(doc.work().imgFolder(), 0, false) + "/blocked"));
    const PoolAddOutcome out = addPhotosToPool(doc, entries, [](int) {});
    EXPECT_TRUE(out.writeFailed && !out.poolFull);
    EXPECT_EQ(out.added, 0);
    EXPECT_EQ(st.pool.size(), 0);
    EXPECT_EQ(dialogs.messages, QStringList{"message: " + kMsgPoolCopyFailed});
}

} // namespace qv::test

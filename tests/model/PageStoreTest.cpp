// Page folders, the undo snapshot and the work folder deletions.
#include "BmpCodec.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "Unit2.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <chrono>
#include <climits>

using namespace qv;

namespace {

/// A picture whose every pixel depends on its position and seed, so that any mix-up shows.
TBigBitmap patterned(int w, int h, int seed)
{
    TBigBitmap b(w, h, 24);
    for (int y = 0; y < h; ++y) {
        uchar* row = b.scanLine(y);
        for (int x = 0; x < w * 3; ++x)
            row[x] = uchar(x * 7 + y * 13 + seed * 31);
    }
    return b;
}

QStringList filesIn(const QString& dir)
{
    QStringList names = QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

/// Inode and modification time: any write of the file changes one of them.
std::pair<quint64, qint64> stampOf(const QString& path)
{
    struct stat sb;
    if (::stat(QFile::encodeName(path).constData(), &sb) != 0)
        return { 0, -1 };
    return { quint64(sb.st_ino), qint64(sb.st_mtim.tv_sec) * 1000000000 + sb.st_mtim.tv_nsec };
}

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}

class PageStore : public testing::Test {
protected:
    TMainState st;
    TForm2 doc{ st, test::baseDir() };
    QStringList captions;
    int selectToolCalls = 0;

    void SetUp() override
    {
        st.busy.setCaption = [this](const QString& c) { captions << c; };
        st.window.selectSelectionTool = [this] { ++selectToolCalls; };
    }

    QString pageDir(int p) const { return doc.work().pageFolder(p); }
    QString undoDir(int p) const { return doc.work().undoPageFolder(p); }

    /// An image item in the next cache slot, as adding a photo leaves it.
    TItemStatus& addPicture(int seed, int32_t x = 0)
    {
        doc.addItem();
        TItemStatus& it = doc.items.last();
        it.kind = kKindImage;
        it.color = kColorWhite;
        it.keyColor = kImageKeyColor;
        it.text = kPoolPhotoName + QString::number(doc.items.size());
        it.centerX = x;
        it.width = 400;
        it.height = 300;
        st.cache.addImage(patterned(40 + seed, 30, seed));
        st.cache.THaddImage(patterned(8, 6, seed + 100));
        it.imageSlot = st.cache.imageCount();
        it.poolIndex = uint32_t(seed);
        return it;
    }

    TItemStatus& addLabel(const QString& text, int32_t y)
    {
        doc.addItem();
        TItemStatus& it = doc.items.last();
        it.kind = kKindText;
        it.fontName = kDefaultFontName;
        it.text = text;
        it.centerY = y;
        it.fontSize = 35;
        it.lineSpacing = 53;
        return it;
    }

    /// The item list as a load gives it back: nothing selected, no copy marks.
    TItemList asLoaded() const
    {
        TItemList l = doc.items;
        for (TItemStatus& it : l)
            it.selected = it.copyMark = false;
        l[0] = doc.items[0];
        return l;
    }

    void writeItems(int page, const TItemList& items, ItemLayout layout = ItemLayout::Current)
    {
        test::writeFile(pageDir(page) + kItemFileName, encodeItemFile(items, layout));
    }
};

TEST_F(PageStore, WritingKeepsExactlyTheSlotsInUse)
{
    doc.currentPage = 3;
    for (int k = 4; k <= 16; ++k) {
        test::writeFile(pageDir(3) + WorkFolder::slotName(k), "stale");
        test::writeFile(pageDir(3) + WorkFolder::thumbSlotName(k), "stale");
    }
    addPicture(1);
    addLabel("a", 10);
    addPicture(2);
    addPicture(3);
    QVector<bool> hourglass;
    st.busy.hourglass = [&](bool on) { hourglass << on; };
    doc.itemFileBusy = true;

    EXPECT_TRUE(doc.PbfSave(-1));
    EXPECT_FALSE(doc.itemFileBusy);
    EXPECT_EQ(hourglass, QVector<bool>({ true, false }));
    EXPECT_EQ(filesIn(pageDir(3)),
              sorted({ "1.bmp", "2.bmp", "3.bmp", "t1.bmp", "t2.bmp", "t3.bmp", "qor.dat" }));
    EXPECT_EQ(test::readFile(pageDir(3) + kItemFileName), encodeItemFile(doc.items));
    const ImageLoadResult third = readBmpFile(pageDir(3) + "3.bmp");
    ASSERT_TRUE(third.ok()) << third.error.toStdString();
    EXPECT_EQ(third.bitmap, patterned(43, 30, 3));
    EXPECT_FALSE(QFileInfo::exists(doc.work().undoFolder()));

    // A snapshot of items only writes no pictures.
    doc.mement(1);
    EXPECT_EQ(filesIn(undoDir(3)), QStringList({ "qor.dat" }));
    EXPECT_EQ(doc.undoLevel, 1);
    EXPECT_TRUE(st.modified);
}

TEST_F(PageStore, LoadGivesBackItemsAndPictures)
{
    doc.currentPage = 5;
    addLabel("一", 10).selected = true;
    addPicture(1, -300);
    addPicture(2, 300).copyMark = true;
    addLabel("二", 20);
    const TItemList saved = asLoaded();
    ASSERT_TRUE(doc.PbfSave(-1));

    st.cache.clear();
    doc.items.resize(1);
    EXPECT_TRUE(doc.PbfLoad(-1));
    EXPECT_EQ(doc.items, saved);
    EXPECT_FALSE(doc.anySelected);
    EXPECT_EQ(st.cache.imageCount(), 2);
    EXPECT_EQ(st.cache.THimageCount(), 2);
    EXPECT_EQ(st.cache.imageDrawing(1, false), patterned(41, 30, 1));
    EXPECT_EQ(st.cache.imageDrawing(2, false), patterned(42, 30, 2));
    EXPECT_EQ(st.cache.imageDrawing(2, true), patterned(8, 6, 102));
    EXPECT_EQ(st.cache.imageDrawing(2, false).bitsPerPixel(), 24);
    const QString dot = "ページ処理中. ", blank = "ページ処理中  ";
    EXPECT_EQ(captions, QStringList({ dot, blank, dot, blank }));
    // A full load leaves the page as opened as the snapshot.
    EXPECT_EQ(doc.undoLevel, 2);
    EXPECT_TRUE(st.modified);
    EXPECT_FALSE(doc.itemFileBusy);
    EXPECT_EQ(filesIn(undoDir(5)), sorted({ "1.bmp", "2.bmp", "t1.bmp", "t2.bmp", "qor.dat" }));
}

TEST_F(PageStore, OlderNumberingReadsAsSlotsOneAndTwo)
{
    doc.currentPage = 2;
    TItemList items(1);
    for (int slot : { 1, 2 }) {
        TItemStatus it;
        it.kind = kKindImage;
        it.imageSlot = slot;
        it.centerX = slot * 100;
        items << it;
    }
    writeItems(2, items);
    ASSERT_TRUE(writeBmpFile(patterned(20, 10, 0), pageDir(2) + "0.bmp"));
    ASSERT_TRUE(writeBmpFile(patterned(21, 10, 1), pageDir(2) + "1.bmp"));
    ASSERT_TRUE(writeBmpFile(patterned(5, 5, 10), pageDir(2) + "t0.bmp"));
    ASSERT_TRUE(writeBmpFile(patterned(6, 5, 11), pageDir(2) + "t1.bmp"));

    ASSERT_TRUE(doc.PbfLoad(-1));
    ASSERT_EQ(doc.itemCount(), 2);
    EXPECT_EQ(doc.items[1].imageSlot, 1);
    EXPECT_EQ(doc.items[2].imageSlot, 2);
    EXPECT_EQ(st.cache.imageDrawing(1, false), patterned(20, 10, 0));
    EXPECT_EQ(st.cache.imageDrawing(2, false), patterned(21, 10, 1));
    EXPECT_EQ(st.cache.imageDrawing(1, true), patterned(5, 5, 10));
    EXPECT_EQ(st.cache.imageDrawing(2, true), patterned(6, 5, 11));
    EXPECT_EQ(filesIn(pageDir(2)), sorted({ "1.bmp", "2.bmp", "t1.bmp", "t2.bmp", "qor.dat" }));
}

TEST_F(PageStore, UndoRightAfterOpeningRestoresThePageOnce)
{
    doc.currentPage = 4;
    addLabel("x", 100);
    addPicture(1);
    ASSERT_TRUE(doc.PbfSave(-1));
    st.cache.clear();
    ASSERT_TRUE(doc.PbfLoad(-1));
    const TItemList opened = doc.items;

    doc.items[1].centerY = 900;
    doc.items.removeLast();
    doc.undo(doc.undoLevel);
    EXPECT_EQ(doc.items, opened);
    EXPECT_EQ(st.cache.imageDrawing(1, false), patterned(41, 30, 1));
    EXPECT_EQ(doc.undoLevel, 0);
    EXPECT_EQ(selectToolCalls, 1);

    doc.items[1].centerY = 901;
    doc.undo(doc.undoLevel);
    EXPECT_EQ(doc.items[1].centerY, 901);
    EXPECT_EQ(selectToolCalls, 2);
}

TEST_F(PageStore, UndoAfterDeletingAnImageBringsItsPictureBack)
{
    doc.currentPage = 6;
    addPicture(1);
    addLabel("t", 0);
    addPicture(2);
    addPicture(3);
    const TItemList before = doc.items;
    doc.notSelect();
    doc.items[1].selected = true; // the picture in slot 1
    doc.deleteItem();
    ASSERT_EQ(doc.itemCount(), 3);
    ASSERT_EQ(st.cache.imageCount(), 2);
    EXPECT_EQ(doc.items[2].imageSlot, 1);
    EXPECT_EQ(doc.undoLevel, 2);

    doc.undo(doc.undoLevel);
    TItemList expected = before;
    for (TItemStatus& it : expected)
        it.selected = false;
    expected[0] = doc.items[0];
    EXPECT_EQ(doc.items, expected);
    ASSERT_EQ(st.cache.imageCount(), 3);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(st.cache.imageDrawing(k, false), patterned(40 + k, 30, k)) << "slot " << k;
        EXPECT_EQ(st.cache.imageDrawing(k, true), patterned(8, 6, 100 + k)) << "thumb " << k;
    }
}

TEST_F(PageStore, UndoAfterMovingATextLeavesTheImagesAlone)
{
    doc.currentPage = 7;
    addPicture(1);
    addLabel("move me", 100);
    doc.mement(2);
    doc.mement(1); // the move gesture's snapshot
    doc.items[2].centerX = 555;
    doc.items[2].centerY = 666;
    st.cache.setImage(1, patterned(10, 10, 9)); // stands for anything drawn since

    doc.undo(doc.undoLevel);
    EXPECT_EQ(doc.items[2].centerX, 0);
    EXPECT_EQ(doc.items[2].centerY, 100);
    EXPECT_EQ(doc.items[2].text, "move me");
    EXPECT_EQ(st.cache.imageDrawing(1, false), patterned(10, 10, 9));
    EXPECT_EQ(doc.undoLevel, 0);
}

TEST_F(PageStore, NoUndoWithoutASnapshot)
{
    doc.currentPage = 8;
    addLabel("kept", 1);
    doc.mement(2);
    doc.deleteUndoFolder();
    EXPECT_EQ(doc.undoLevel, 0);
    EXPECT_FALSE(QFileInfo::exists(doc.work().undoFolder()));
    doc.items[1].centerX = 42;
    doc.undo(doc.undoLevel);
    EXPECT_EQ(doc.items[1].centerX, 42);
    // Even a caller passing a stale level does not empty the page.
    doc.undo(2);
    ASSERT_EQ(doc.itemCount(), 1);
    EXPECT_EQ(doc.items[1].centerX, 42);

    // A snapshot that cannot be written is not offered.
    test::writeFile(doc.work().root() + "undo", "not a folder");
    doc.mement(1);
    EXPECT_EQ(doc.undoLevel, 0);
    EXPECT_TRUE(st.modified);
}

TEST_F(PageStore, LoadDropsWhatCannotBeShown)
{
    doc.currentPage = 9;
    TItemList items(1);
    auto image = [](int slot) {
        TItemStatus it;
        it.kind = kKindImage;
        it.imageSlot = slot;
        it.text = "写真" + QString::number(slot);
        return it;
    };
    TItemStatus label;
    label.kind = kKindText;
    label.text = "残る";
    items << image(1) << TItemStatus() << image(2) << label << image(0);
    writeItems(9, items);
    ASSERT_TRUE(writeBmpFile(patterned(12, 12, 1), pageDir(9) + "1.bmp"));
    ASSERT_TRUE(writeBmpFile(patterned(12, 12, 3), pageDir(9) + "3.bmp")); // after a gap

    ASSERT_TRUE(doc.PbfLoad(-1));
    ASSERT_EQ(doc.itemCount(), 2);
    EXPECT_EQ(doc.items[1].kind, kKindImage);
    EXPECT_EQ(doc.items[1].imageSlot, 1);
    EXPECT_EQ(doc.items[2].text, "残る");
    EXPECT_EQ(st.cache.imageCount(), 1);
    EXPECT_FALSE(st.cache.hasImage(3)); // the next added picture goes to slot 2

    // Undo right after opening gives the page as shown, not the dropped records.
    const TItemList opened = doc.items;
    doc.undo(doc.undoLevel);
    EXPECT_EQ(doc.items, opened);
}

TEST_F(PageStore, OlderItemLayoutReadsWhileSelected)
{
    doc.currentPage = 1;
    TItemList items(1);
    TItemStatus t;
    t.kind = kKindText;
    t.fontName = "@" + kDefaultFontName;
    t.text = "縦書き";
    t.centerX = 123;
    t.lineCount = 2;
    t.fontSize = 40;
    t.lineSpacing = 60;
    t.poolIndex = 7;
    items << t;
    writeItems(1, items, ItemLayout::V2000);
    doc.itemLayout = ItemLayout::V2000;
    ASSERT_TRUE(doc.PbfLoad(-1));
    ASSERT_EQ(doc.itemCount(), 1);
    t.selected = false;
    EXPECT_EQ(doc.items[1], t);

    doc.itemLayout = ItemLayout::Current;
    doc.PbfLoad(-1);
    EXPECT_NE(doc.items.value(1), t);
}

TEST_F(PageStore, DamagedItemFilesLoadWhatTheyHold)
{
    for (int i = 1; i <= 3; ++i)
        addLabel(QString::number(i), i * 10);
    const TItemList items = doc.items;
    const qsizetype recordSize = 82 + 15 + 1;
    QByteArray bytes = encodeItemFile(items);

    // A count of two billion over three records: three items, at once.
    doc.currentPage = 10;
    qToLittleEndian<int32_t>(INT_MAX, bytes.data());
    test::writeFile(pageDir(10) + kItemFileName, bytes);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(doc.PbfLoad(-1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(doc.itemCount(), 3);

    // Cut inside the third record: two remain, the third had its kind and stays.
    doc.currentPage = 11;
    test::writeFile(pageDir(11) + kItemFileName, encodeItemFile(items).left(4 + 2 * recordSize + 30));
    EXPECT_TRUE(doc.PbfLoad(-1));
    ASSERT_EQ(doc.itemCount(), 3);
    EXPECT_EQ(doc.items[2].text, "2");
    EXPECT_TRUE(doc.items[3].text.isEmpty());
    EXPECT_TRUE(doc.items[3].fontName.isEmpty());

    // An empty page and a file too short for its count open empty; the next load still runs.
    doc.currentPage = 12;
    test::writeFile(pageDir(12) + kItemFileName, QByteArray(4, '\0'));
    EXPECT_FALSE(doc.PbfLoad(-1));
    EXPECT_EQ(doc.items.size(), 1);
    doc.currentPage = 13;
    test::writeFile(pageDir(13) + kItemFileName, QByteArray(2, '\1'));
    EXPECT_FALSE(doc.PbfLoad(-1));
    doc.currentPage = 10;
    EXPECT_TRUE(doc.PbfLoad(-1));
    EXPECT_EQ(doc.itemCount(), 3);
}

TEST_F(PageStore, PageWithoutItemsStillLoadsSlotsAndSnapshot)
{
    // A photo dropped on an empty page and undone leaves its slot free for the next one.
    doc.currentPage = 4;
    doc.mement(2);
    addPicture(1);
    doc.undo(doc.undoLevel);
    EXPECT_EQ(st.cache.imageCount(), 0);
    EXPECT_EQ(addPicture(2).imageSlot, 1);

    // A count of 0 or below, or none at all: no items, but the rest of the load runs.
    for (const QByteArray& bytes : { QByteArray(4, '\0'), QByteArray("\xfd\xff\xff\xff", 4), QByteArray() }) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        test::writeFile(pageDir(5) + kItemFileName, bytes);
        doc.currentPage = 5;
        st.modified = false;
        doc.undoLevel = 0;
        EXPECT_FALSE(doc.PbfLoad(-1));
        EXPECT_EQ(doc.items.size(), 1);
        EXPECT_EQ(st.cache.imageCount(), 0);
        EXPECT_EQ(doc.undoLevel, 2);
        EXPECT_FALSE(doc.itemFileBusy);
        EXPECT_TRUE(st.modified);
    }
}

TEST_F(PageStore, MissingPageIsEmptyAndLeavesTheCache)
{
    doc.currentPage = 14;
    doc.items[0].width = 77; // the scratch element survives a load
    addLabel("gone", 0);
    st.cache.addImage(patterned(4, 4, 1));
    EXPECT_FALSE(doc.PbfLoad(-1));
    EXPECT_EQ(doc.items.size(), 1);
    EXPECT_EQ(doc.items[0].width, 77);
    EXPECT_EQ(st.cache.imageCount(), 1);
    EXPECT_FALSE(doc.itemFileBusy);

    // A page folder that cannot be made: the write fails and still clears the busy flag.
    test::writeFile(doc.work().root() + "14", "file in the way");
    doc.itemFileBusy = true;
    EXPECT_FALSE(doc.PbfSave(-1));
    EXPECT_FALSE(doc.itemFileBusy);
}

TEST_F(PageStore, SwitchingPagesWritesAndReads)
{
    doc.currentPage = 2;
    addLabel("page two", 5);
    addPicture(4);
    doc.mement(1);
    TItemList old(1);
    old << TItemStatus();
    old[1].kind = kKindText;
    old[1].text = "old snapshot";
    test::writeFile(undoDir(3) + kItemFileName, encodeItemFile(old));
    doc.switchPage(3);
    EXPECT_EQ(doc.currentPage, 3);
    EXPECT_EQ(doc.itemCount(), 0);
    EXPECT_EQ(st.cache.imageCount(), 0);
    // The snapshot taken on page two is no undo for page three.
    doc.undo(doc.undoLevel);
    EXPECT_EQ(doc.itemCount(), 0);

    addLabel("page three", 6);
    doc.switchPage(2);
    ASSERT_EQ(doc.itemCount(), 2);
    EXPECT_EQ(doc.items[1].text, "page two");
    EXPECT_EQ(st.cache.imageDrawing(1, false), patterned(44, 30, 4));
    doc.switchPage(0);
    doc.switchPage(3);
    ASSERT_EQ(doc.itemCount(), 1);
    EXPECT_EQ(doc.items[1].text, "page three");
    EXPECT_EQ(doc.pageWidth, 1480);

    doc.switchPage(17);
    EXPECT_EQ(doc.currentPage, 3);
}

TEST_F(PageStore, FilesHoldingThePictureAreNotWrittenAgain)
{
    doc.currentPage = 3;
    addPicture(1);
    addPicture(2);
    ASSERT_TRUE(doc.PbfSave(-1));
    const QString one = pageDir(3) + "1.bmp", two = pageDir(3) + "2.bmp";
    const auto oneStamp = stampOf(one), twoStamp = stampOf(two), thumbStamp = stampOf(pageDir(3) + "t1.bmp");

    // A changed picture is written; the others stay as they are.
    TBigBitmap changed = st.cache.imageDrawing(1, false);
    changed.setPixel(0, 0, 0x123456);
    st.cache.setImage(1, changed);
    ASSERT_TRUE(doc.PbfSave(-1));
    EXPECT_NE(stampOf(one), oneStamp);
    EXPECT_EQ(readBmpFile(one).bitmap, changed);
    EXPECT_EQ(stampOf(two), twoStamp);
    EXPECT_EQ(stampOf(pageDir(3) + "t1.bmp"), thumbStamp);

    // A file changed behind the program's back is written again.
    ASSERT_TRUE(writeBmpFile(patterned(5, 5, 77), two));
    ASSERT_TRUE(doc.PbfSave(-1));
    EXPECT_EQ(readBmpFile(two).bitmap, patterned(42, 30, 2));

    // Loading takes the snapshot; loading the unchanged page again leaves the snapshot files.
    ASSERT_TRUE(doc.PbfLoad(-1));
    const auto undoStamp = stampOf(undoDir(3) + "2.bmp");
    ASSERT_NE(undoStamp.second, -1);
    ASSERT_TRUE(doc.PbfSave(-1));
    ASSERT_TRUE(doc.PbfLoad(-1));
    EXPECT_EQ(stampOf(undoDir(3) + "2.bmp"), undoStamp);
    EXPECT_EQ(st.cache.imageDrawing(1, false), changed);

    // After the work folder is emptied nothing is taken for granted.
    doc.deleteTmpFolder();
    ASSERT_TRUE(doc.PbfSave(-1));
    EXPECT_EQ(readBmpFile(one).bitmap, changed);
    EXPECT_EQ(readBmpFile(two).bitmap, patterned(42, 30, 2));
}

TEST_F(PageStore, SaveDataWritesOneByteOrSaysSo)
{
    test::ScriptedDialogs dialogs;
    EXPECT_TRUE(doc.saveData());
    EXPECT_EQ(test::readFile(doc.work().stdFile()), QByteArray(1, '\1'));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    QFile::remove(doc.work().stdFile());
    ASSERT_TRUE(QDir().mkpath(doc.work().stdFile())); // a folder where the file goes
    EXPECT_FALSE(doc.saveData());
    EXPECT_EQ(dialogs.messages, QStringList({ "message: 保存できませんでした。" }));
}

TEST_F(PageStore, FolderDeletionStaysInsideTheFolder)
{
    const QString w = doc.work().root();
    const QString outside = test::baseDir() + "outside/";
    test::writeFile(outside + "keep.txt", "keep");
    test::writeFile(w + "img/0_.jpg", "x");
    test::writeFile(w + "undo/3/qor.dat", "x");
    test::writeFile(w + "3/sub/deep.bin", "x");
    ASSERT_TRUE(QFile::link(test::baseDir() + "outside", w + "3/dirlink"));
    ASSERT_TRUE(QFile::link(outside + "keep.txt", w + "3/filelink"));

    EXPECT_EQ(listTree(w + "3"),
              QStringList({ w + "3/dirlink", w + "3/filelink", w + "3/sub/", w + "3/sub/deep.bin" }));

    doc.ListFilesDeleteWork("../outside");
    EXPECT_TRUE(QFileInfo::exists(outside + "keep.txt"));
    doc.ListFilesDeleteWork("img");
    EXPECT_TRUE(QFileInfo(w + "img").isDir());
    EXPECT_TRUE(filesIn(w + "img").isEmpty());

    doc.undoLevel = 2;
    doc.deleteUndoFolder();
    EXPECT_FALSE(QFileInfo::exists(w + "undo"));
    EXPECT_EQ(doc.undoLevel, 0);

    doc.ListFilesDeleteWork("");
    EXPECT_TRUE(QFileInfo(w).isDir());
    EXPECT_TRUE(filesIn(w).isEmpty());
    EXPECT_EQ(test::readFile(outside + "keep.txt"), "keep");

    test::writeFile(w + "3/qor.dat", "x");
    ASSERT_TRUE(QFile::link(test::baseDir() + "outside", w + "link"));
    doc.deleteTmpFolder();
    EXPECT_FALSE(QFileInfo::exists(w));
    EXPECT_EQ(test::readFile(outside + "keep.txt"), "keep");

    // The work folder itself a link: the link goes, its target stays.
    ASSERT_TRUE(QFile::link(test::baseDir() + "outside", test::baseDir() + kWorkFolderName));
    doc.deleteTmpFolder();
    EXPECT_FALSE(QFileInfo(test::baseDir() + kWorkFolderName).isSymLink());
    EXPECT_EQ(test::readFile(outside + "keep.txt"), "keep");
}

} // namespace

TEST_F(PageStore, AFailedPageWriteKeepsThePreviousPageAndStaysOnIt)
{
    test::ScriptedDialogs dialogs;
    const auto files = [this] {
        QMap<QString, QByteArray> m;
        for (const QString& name : QDir(pageDir(3)).entryList(QDir::Files))
            m.insert(name, test::readFile(pageDir(3) + name));
        return m;
    };
    const auto texts = [this] {
        QStringList t;
        for (int k = 1; k <= doc.itemCount(); ++k)
            t << doc.items[k].text;
        return t;
    };
    doc.currentPage = 3;
    addPicture(1);
    addPicture(2);
    addLabel("before", 5);
    ASSERT_TRUE(doc.PbfSave(-1));
    const QMap<QString, QByteArray> written = files();
    // The first picture goes, so the second moves to slot 1; a text comes.
    doc.items[1].selected = true;
    doc.deleteItem();
    addLabel("after", 6);
    const QStringList edited = texts();

    // Each file of the write fails in turn (a folder where it goes, as a full disk would fail it).
    for (const char* staged : {"1.bmp.new", "t1.bmp.new", "qor.dat.new"}) {
        dialogs.messages.clear();
        ASSERT_TRUE(QDir().mkpath(pageDir(3) + staged + "/blocked"));
        EXPECT_FALSE(doc.PbfSave(-1)) << staged;
        EXPECT_EQ(files(), written) << staged << ": new pictures under the old item file";
        EXPECT_FALSE(doc.switchPage(4)) << staged;
        EXPECT_FALSE(doc.SaveFile()) << staged << ": a book without the page being edited";
        EXPECT_EQ(dialogs.messages, QStringList(2, "message: 保存できませんでした。")) << staged;
        EXPECT_EQ(doc.currentPage, 3);
        EXPECT_EQ(texts(), edited) << staged;
        QDir(pageDir(3) + staged).removeRecursively();
    }

    ASSERT_TRUE(doc.switchPage(4));
    ASSERT_TRUE(doc.switchPage(3));
    EXPECT_EQ(texts(), edited);
    EXPECT_EQ(st.cache.imageDrawing(1, false), patterned(42, 30, 2));
    EXPECT_EQ(QDir(pageDir(3)).entryList({"*.new"}), QStringList());
}

TEST_F(PageStore, PageFilesKeepTheirBytes)
{
    // The bytes of tests/data/pagestore were written by an earlier version of the page store:
    // item file and slot bitmaps, with rows that need no padding (40 wide) and rows that do (41).
    doc.currentPage = 4;
    addPicture(0);
    addPicture(1);
    addLabel(QStringLiteral("見出し"), 5);
    doc.notSelect(); // as a load leaves them
    const QStringList names = {"1.bmp", "t1.bmp", "2.bmp", "t2.bmp", kItemFileName};
    auto expectStored = [&](const QString& folder) {
        for (const QString& name : names) {
            SCOPED_TRACE((folder + name).toStdString());
            EXPECT_EQ(test::readFile(folder + name), test::readFile(test::testData("pagestore/" + name)));
        }
    };
    ASSERT_TRUE(doc.PbfSave(-1));
    expectStored(pageDir(4));

    // Read back through a page switch (the snapshot shares the files), then written afresh
    // from the pictures read.
    doc.switchPage(5);
    doc.switchPage(4);
    ASSERT_EQ(st.cache.imageCount(), 2);
    expectStored(undoDir(4));
    doc.deleteTmpFolder();
    ASSERT_TRUE(doc.PbfSave(-1));
    expectStored(pageDir(4));
}

TEST_F(PageStore, ReplacedFilesAreFreedByTheReaperAndNothingStaysBehind)
{
    const QString dir = doc.work().root() + "reaper/", folder = dir + "aside/";
    test::writeFile(dir + "single", "one link");
    test::writeFile(dir + "shared", "two links");
    ASSERT_EQ(::link(QFile::encodeName(dir + "shared").constData(), QFile::encodeName(dir + "shared2").constData()), 0);
    QDir().mkpath(dir + "folder");
    auto links = [](const QString& p) {
        struct stat sb;
        return ::stat(QFile::encodeName(p).constData(), &sb) == 0 ? int(sb.st_nlink) : 0;
    };
    FileReaper reaper(folder);
    const std::pair<const char*, bool> cases[] = {
        {"single", true}, {"shared", false}, {"missing", false}, {"folder", false}};
    for (const auto& [name, kept] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(reaper.keepAside(dir + name), kept);
    }
    reaper.drain();
    EXPECT_EQ(filesIn(folder), QStringList());
    EXPECT_EQ(links(dir + "single"), 1);
    EXPECT_EQ(test::readFile(dir + "single"), "one link");

    // A switch away from a changed page and back: the replaced files are freed, the page and
    // its snapshot hold the new picture; links left by a killed run go at the next start.
    doc.currentPage = 3;
    addPicture(1);
    ASSERT_TRUE(doc.switchPage(4) && doc.switchPage(3));
    TBigBitmap changed = st.cache.imageDrawing(1, false);
    changed.setPixel(0, 0, 0x123456);
    st.cache.setImage(1, changed);
    ASSERT_TRUE(doc.switchPage(4) && doc.switchPage(3));
    doc.deleteUndoFolder(); // leaves the page file its own link only
    test::writeFile(doc.work().discardFolder() + "left-by-a-killed-run", "x");
    TForm2 next(st, test::baseDir());
    EXPECT_FALSE(QFileInfo::exists(doc.work().discardFolder() + "left-by-a-killed-run"));
    EXPECT_EQ(readBmpFile(pageDir(3) + "1.bmp").bitmap, changed);
    EXPECT_EQ(links(pageDir(3) + "1.bmp"), 1);
}

// The photo browser panel in the real window: adding with progress and the pool limit, the
// chosen-photo grid's cells, deleting, drops from other programs, and folder navigation.
#include "BrowserTestSupport.h"
#include "PhotoPool.h"
#include "PictureTestFiles.h"
#include "Privileges.h"
#include "PoolBrowser.h"
#include "PoolGrid.h"
#include "TImgListView.h"
#include "Unit11.h"
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScopeGuard>
#include <QTest>
#include <fcntl.h>
#include <random>

namespace qv::test {

class PhotoBrowserTest : public FormTest {
protected:
    TimgFrame* frame = nullptr;
    QStringList loadingCaptions; // the busy caption each time an import shows the panel anew

    void SetUp() override
    {
        FormTest::SetUp();
        makeForm();
        showForm();
        form->imgFrame1->show();
        frame = form->photoBrowser;
        TMainState& st = form->state;
        st.busy.show = [this, show = st.busy.show] {
            if (loadingCaptions.isEmpty() || loadingCaptions.last() != form->GridSet->text())
                loadingCaptions << form->GridSet->text();
            show();
        };
    }

    TImgListView& list() { return *frame->ImgListView1; }
    int rowOf(const QString& path) { return list().items().rowOfPath(QFileInfo(path).canonicalFilePath()); }
    void select(const QStringList& paths)
    {
        list().clearSelection();
        for (const QString& p : paths)
            list().setItemSelected(rowOf(p), true);
    }
    /// A folder with a sub folder, a text file, a JPEG photo and a BMP picture.
    QString mixedFolder()
    {
        const QString dir = makeFolder("mixed");
        QDir().mkpath(dir + "dir");
        copyTo(photoData("Canon_40D.jpg"), dir + "a.jpg");
        writeSolidBmp(dir + "b.bmp", 60, 40, qRgb(0, 0, 255));
        writeFile(dir + "notes.txt", "text");
        EXPECT_TRUE(list().goToPath(dir));
        return dir;
    }
    QImage drawCell(int col, int row, bool selected = false)
    {
        QImage img(kPoolCellWidth, kPoolCellHeight, QImage::Format_RGB32);
        img.fill(Qt::black);
        QPainter p(&img);
        frame->Grid1DrawCell(p, col, row, img.rect(), selected);
        return img;
    }
    void clickCell(int col, int row)
    {
        const QRect r = frame->Grid1->visualRect(frame->Grid1->model()->index(row, col));
        QTest::mouseClick(frame->Grid1->viewport(), Qt::LeftButton, {}, r.center());
    }
};

namespace {
QAction* entry(QMenu* menu, const char* text)
{
    for (QAction* a : menu->actions())
        if (a->text() == QString::fromUtf8(text))
            return a;
    ADD_FAILURE() << "no menu entry " << text;
    return nullptr;
}
} // namespace

TEST_F(PhotoBrowserTest, RightClickMenuOpensShowsAddsAndRefreshes)
{
    const QString dir = mixedFolder();
    select({dir + "b.bmp"});
    const QPoint at = list().visualRect(list().model()->index(rowOf(dir + "a.jpg"), 0)).center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, list().viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(list().viewport(), &click);
    auto* shown = list().findChild<QMenu*>("ImgListMenu");
    ASSERT_TRUE(shown && shown->isVisible());
    shown->close();
    EXPECT_TRUE(list().isItemSelected(rowOf(dir + "a.jpg")));
    EXPECT_EQ(list().selectedCount(), 1) << "the right-clicked photo alone is selected";

    std::unique_ptr<QMenu> onPhoto(list().contextMenu(rowOf(dir + "a.jpg")));
    entry(onPhoto.get(), "フォルダを開く")->trigger();
    EXPECT_EQ(fakePlatform.openedUrls.value(0), QUrl::fromLocalFile(list().currentPath()).toString());
    entry(onPhoto.get(), "写真追加")->trigger();
    EXPECT_EQ(form->state.pool.size(), 1);

    writeSolidBmp(dir + "c.bmp", 8, 8, qRgb(255, 0, 0));
    list().clearSelection();
    std::unique_ptr<QMenu> onEmpty(list().contextMenu(-1));
    EXPECT_FALSE(entry(onEmpty.get(), "開く")->isEnabled());
    EXPECT_FALSE(entry(onEmpty.get(), "写真追加")->isEnabled()) << "no photo selected";
    entry(onEmpty.get(), "最新の情報に更新")->trigger();
    EXPECT_GE(rowOf(dir + "c.bmp"), 0);

    std::unique_ptr<QMenu> onFolder(list().contextMenu(rowOf(dir + "dir")));
    entry(onFolder.get(), "フォルダを開く")->trigger();
    EXPECT_EQ(fakePlatform.openedUrls.value(1), QUrl::fromLocalFile(QFileInfo(dir + "dir").canonicalFilePath()).toString());
    entry(onFolder.get(), "開く")->trigger();
    EXPECT_EQ(list().currentPath(), QFileInfo(dir + "dir").canonicalFilePath());
}

TEST_F(PhotoBrowserTest, AddsTheSelectedPhotosInOrderAndDeselectsTheRest)
{
    const QString dir = mixedFolder();
    select({dir + "dir", dir + "notes.txt", dir + "a.jpg", dir + "b.bmp"});
    EXPECT_EQ(frame->addLook(), TimgFrame::AddLook::Off) << "the first selected item is a folder";
    frame->photoAddClick();

    const TMainState& st = form->state;
    ASSERT_EQ(st.pool.size(), 2);
    EXPECT_EQ(st.pool[0].name, kPoolPhotoName);
    EXPECT_EQ(st.pool[1].name, kPoolPictureName);
    EXPECT_EQ(st.pool[1].srcWidth, 60);
    EXPECT_EQ(loadingCaptions, QStringList({"読み込み中...1/4", "読み込み中...2/4"}));
    EXPECT_TRUE(st.modified);
    EXPECT_FALSE(list().isItemSelected(rowOf(dir + "dir")));
    EXPECT_FALSE(list().isItemSelected(rowOf(dir + "notes.txt")));
    EXPECT_TRUE(list().isItemSelected(rowOf(dir + "a.jpg")));
    EXPECT_TRUE(list().isItemSelected(rowOf(dir + "b.bmp")));
    EXPECT_EQ(frame->Grid1->rowCount(), 1);
    EXPECT_EQ(frame->addLook(), TimgFrame::AddLook::Ready) << "now the first selected item is a photo";
    EXPECT_TRUE(script.messages.isEmpty()) << script.messages.join('\n').toStdString();
}

TEST_F(PhotoBrowserTest, AFullPoolStopsAddingWithTheMessage)
{
    const QString dir = makeFolder("three");
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg"})
        copyTo(photoData("Canon_40D.jpg"), dir + name);
    ASSERT_TRUE(list().goToPath(dir));
    form->state.pool.resize(149);
    list().selectAll();
    frame->photoAddClick();
    EXPECT_EQ(form->state.pool.size(), 150);
    EXPECT_EQ(script.messages, QStringList({"message: 最大数を超えました"}));
    EXPECT_EQ(frame->addLook(), TimgFrame::AddLook::Pressed);
}

TEST_F(PhotoBrowserTest, CellsDrawThePoolThumbnailsInTheirPlaces)
{
    struct Case {
        int w, h;
        QRect picture;
    } const cases[] = {
        {400, 300, QRect(QPoint(5, 19), QPoint(83, 78))},
        {300, 400, QRect(QPoint(15, 5), QPoint(73, 82))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(poolCellPictureRect(QRect(0, 0, 89, 98), c.w, c.h), c.picture) << c.w << "x" << c.h;

    // Five entries: two drawn with red thumbnails, one without thumbnail files.
    TMainState& st = form->state;
    const QString img = form->Form2->work().imgFolder();
    QDir().mkpath(img);
    st.pool = {{kPoolPhotoName, false, 400, 300}, {kPoolPictureName, true, 300, 400}, {kPoolPhotoName, false, 400, 300},
               {kPoolPhotoName, false, 40, 30}, {kPoolPhotoName, false, 40, 30}};
    writeSolidBmp(poolThumbPath(img, 0, false), 296, 222, qRgb(255, 0, 0));
    writeSolidBmp(poolThumbPath(img, 1, true), 222, 296, qRgb(255, 0, 0));
    writeSolidBmp(poolThumbPath(img, 3, false), 40, 30, qRgb(255, 0, 0));
    writeSolidBmp(poolThumbPath(img, 4, false), 40, 30, qRgb(255, 0, 0));
    form->state.window.setPoolGridRows(poolGridRows(5));
    EXPECT_EQ(frame->Grid1->rowCount(), 2);

    for (const Case& c : cases) {
        const QImage cell = drawCell(&c == cases ? 0 : 1, 0);
        const QRect r = c.picture;
        SCOPED_TRACE(c.w);
        for (QPoint inside : {r.topLeft(), r.bottomRight(), r.center()})
            EXPECT_EQ(cell.pixelColor(inside), QColor(255, 0, 0)) << inside.x() << "," << inside.y();
        for (QPoint outside : {r.topLeft() - QPoint(1, 0), r.topLeft() - QPoint(0, 1), r.bottomRight() + QPoint(1, 0),
                               r.bottomRight() + QPoint(0, 1)})
            EXPECT_EQ(cell.pixelColor(outside), QColor(Qt::white)) << outside.x() << "," << outside.y();
    }
    // No thumbnail, or no entry: a white cell without caption.
    for (QPoint missing : {QPoint(2, 0), QPoint(1, 1)}) {
        const QImage cell = drawCell(missing.x(), missing.y());
        EXPECT_EQ(cell, [] { QImage w(89, 98, QImage::Format_RGB32); w.fill(Qt::white); return w; }());
    }
    const QImage selected = drawCell(3, 0, true);
    EXPECT_EQ(selected.pixelColor(0, 0), QColor(0, 0, 255));
    EXPECT_EQ(selected.pixelColor(1, 50), QColor(0, 0, 255));
    EXPECT_EQ(selected.pixelColor(2, 50), QColor(Qt::white));

    clickCell(2, 1);
    EXPECT_TRUE(frame->L11->isHidden()) << "an empty cell turns the delete button off";
    clickCell(0, 1);
    EXPECT_FALSE(frame->L11->isHidden());
}

TEST_F(PhotoBrowserTest, DeletingIsRefusedWhileAPageHoldsAPicture)
{
    const QString dir = mixedFolder();
    select({dir + "a.jpg", dir + "b.bmp"});
    frame->photoAddClick();
    ASSERT_EQ(form->state.pool.size(), 2);
    const QString placed = work() + "5/1.bmp";
    QDir().mkpath(work() + "5");
    writeSolidBmp(placed, 2, 2, qRgb(0, 0, 0));
    form->state.modified = false;

    clickCell(0, 0);
    frame->L11MouseUp();
    EXPECT_EQ(script.messages, QStringList({"message: " + kMsgNoDeleteWhileDesigning}));
    EXPECT_EQ(form->state.pool.size(), 2);
    EXPECT_FALSE(form->state.modified);

    QFile::remove(placed);
    clickCell(1, 0);
    frame->L11MouseUp();
    ASSERT_EQ(form->state.pool.size(), 1);
    EXPECT_EQ(form->state.pool[0].name, kPoolPhotoName);
    EXPECT_TRUE(form->state.modified);
    EXPECT_TRUE(frame->L11->isHidden()) << "the current cell is empty now";
}

TEST_F(PhotoBrowserTest, FilesDroppedFromAFileManagerAreAddedInTheirOrder)
{
    const QString dir = mixedFolder();
    auto drop = [&](const QStringList& names, bool release) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& n : names)
            urls << QUrl::fromLocalFile(dir + n);
        mime.setUrls(urls);
        QWidget* target = frame->Grid1->viewport();
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        if (enter.isAccepted() && release) {
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
            QCoreApplication::sendEvent(target, &dropped);
        }
        return enter.isAccepted();
    };
    EXPECT_FALSE(drop({"notes.txt", "dir"}, false)) << "nothing to add";
    EXPECT_TRUE(drop({"b.bmp", "notes.txt", "a.jpg", "gone.jpg"}, true));
    const TMainState& st = form->state;
    ASSERT_EQ(st.pool.size(), 2);
    EXPECT_EQ(st.pool[0].name, kPoolPictureName);
    EXPECT_EQ(st.pool[1].name, kPoolPhotoName);
    EXPECT_EQ(loadingCaptions, QStringList({"読み込み中...1/2", "読み込み中...2/2"}));
}

TEST_F(PhotoBrowserTest, WalksFoldersWithThePathBoxTheParentButtonAndDoubleClicks)
{
    const QString a = makeFolder("A"), b = makeFolder("B");
    QDir().mkpath(b + "inner");
    writeFile(b + "notes.txt", "x");
    writeFile(b + "blob.qqq9", "x");
    QComboBox* box = frame->ComboBox3;
    auto at = [&] { return list().currentPath() + "/"; };

    ASSERT_TRUE(list().goToPath(a));
    EXPECT_EQ(list().thumbCacheFilePath(), work() + "thumb/A") << "the thumbnail cache is named after the folder";
    ASSERT_TRUE(list().goToPath(b));
    EXPECT_EQ(box->itemText(0) + "/", b);
    EXPECT_EQ(box->itemText(1) + "/", a);
    const int entries = box->count();
    box->setCurrentIndex(1);
    emit box->activated(1);
    EXPECT_EQ(at(), a);
    EXPECT_EQ(box->count(), entries) << "a visited folder is not listed twice";

    for (const QString& typed : {b + "nowhere", b + "inner"}) {
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), typed);
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    }
    EXPECT_EQ(at(), b + "inner/");
    EXPECT_EQ(box->currentText(), b + "inner") << "the text stays as typed";

    frame->addButtonOn();
    QTest::mouseClick(frame->Label1, Qt::LeftButton);
    EXPECT_EQ(at(), b);
    EXPECT_EQ(frame->addLook(), TimgFrame::AddLook::Off);

    select({b + "notes.txt"});
    frame->ImgListView1DblClick();
    select({b + "blob.qqq9"});
    frame->ImgListView1DblClick();
    EXPECT_EQ(fakePlatform.openedUrls, QStringList({QUrl::fromLocalFile(b + "blob.qqq9").toString()}))
        << "a file of no known type goes to the system, a text file to nobody";
    select({b + "inner"});
    frame->ImgListView1DblClick();
    EXPECT_EQ(at(), b + "inner/");

    QTest::keyClick(&list(), Qt::Key_Backspace);
    EXPECT_EQ(at(), b);
    list().setCurrentIndex(list().items().index(rowOf(b + "inner")));
    QTest::keyClick(&list(), Qt::Key_Return);
    EXPECT_EQ(at(), b + "inner/") << "Enter opens the folder, Backspace goes up";
}

} // namespace qv::test

namespace qv::test {

// Typing a folder's path opens it at its last letter and starts its thumbnails; Enter then
// opens the same folder again while they are being made. Every thumbnail still arrives.
TEST_F(PhotoBrowserTest, ThumbnailsArriveAfterEnterOpensTheTypedFolderAgain)
{
    const QString dir = makeFolder("typed");
    std::mt19937 rng(9);
    JpegSpec spec;
    spec.width = spec.height = 2000;
    spec.progressive = true; // a slow thumbnail: the whole file is decoded even at 1/8
    const QByteArray photo = makeJpeg(spec, [&](int, unsigned char* row) {
        for (int x = 0; x < spec.width * 3; ++x)
            row[x] = uchar(rng());
    });
    for (int i = 0; i < 4; ++i)
        writeFile(dir + QString("p%1.jpg").arg(i), photo);
    QLineEdit* box = frame->ComboBox3->lineEdit();
    box->clear();
    QTest::keyClicks(box, dir.chopped(1));
    ASSERT_EQ(list().currentPath() + "/", dir) << "the list follows the typed text";
    ASSERT_TRUE(waitUntil([&] { return list().items().thumbnailsInProgress() > 0; }));
    QTest::keyClick(box, Qt::Key_Return);
    auto allReady = [&] {
        for (int r = 0; r < list().count(); ++r)
            if (list().items().thumbState(r) != TImgListModel::ThumbReady)
                return false;
        return true;
    };
    EXPECT_TRUE(waitUntil(allReady)) << "a thumbnail stayed blank";
}

// A folder whose contents cannot be read says so, and the list and the path box's history stay
// as they were: from the path box, from a double-click in the list, and from the parent button.
TEST_F(PhotoBrowserTest, AFolderThatCannotBeReadIsNamedAndChangesNothing)
{
    const QString a = makeFolder("A"), locked = makeFolder("A/locked").chopped(1);
    writeFile(a + "p.jpg", readFile(photoData("Canon_40D.jpg")));
    writeFile(locked + "/inside.jpg", readFile(photoData("Canon_40D.jpg")));
    ASSERT_TRUE(list().goToPath(a));
    ASSERT_TRUE(QFile::setPermissions(locked, {}));
    const auto unlock = qScopeGuard([&] { QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner); });
    const WithoutRootOverride asUser;
    QComboBox* box = frame->ComboBox3;
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), locked.chopped(1)); // the list walks the folders on the way
    ASSERT_EQ(list().currentPath() + "/", a);
    const int history = box->count(), rows = list().count();
    const QStringList said = {"message: フォルダを開けませんでした。フォルダ名=" + locked};
    auto unchanged = [&](const char* how) {
        EXPECT_EQ(script.messages, said) << how;
        EXPECT_EQ(list().currentPath() + "/", a) << how;
        EXPECT_EQ(list().count(), rows) << how;
        EXPECT_EQ(box->count(), history) << how << ": the folder entered the history";
        script.messages.clear();
    };
    QTest::keyClicks(box->lineEdit(), locked.right(1));
    EXPECT_TRUE(script.messages.isEmpty()) << "nothing is said while the path is typed";
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    unchanged("Enter in the path box");
    select({locked});
    frame->ImgListView1DblClick();
    unchanged("a double-click on it");

    // A folder that may be entered but not read (no read permission): up from inside it.
    const QString inner = makeFolder("A/closed/inner"), closed = a + "closed";
    ASSERT_TRUE(list().goToPath(inner));
    ASSERT_TRUE(QFile::setPermissions(closed, QFileDevice::ExeOwner));
    const auto reopen = qScopeGuard([&] { QFile::setPermissions(closed, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner); });
    const int innerHistory = box->count();
    QTest::mouseClick(frame->Label1, Qt::LeftButton);
    EXPECT_EQ(script.messages, QStringList{"message: フォルダを開けませんでした。フォルダ名=" + closed});
    EXPECT_EQ(list().currentPath() + "/", inner);
    EXPECT_EQ(box->count(), innerHistory);
}

// Names are bytes: one that is not UTF-8 (Latin-1 from an old camera, Windows-31J from an archive
// made on Windows) is listed, named as well as its bytes allow, and added like any other.
TEST_F(PhotoBrowserTest, PhotosWhoseNamesAreNotUtf8AreListedAndAdded)
{
    const QString dir = makeFolder("names");
    const QByteArray photo = readFile(photoData("Canon_40D.jpg"));
    for (const QByteArray& name : {QByteArray("caf\xe9.jpg"), QByteArray("\x8e\xca\x90^.jpg")}) {
        QFile f;
        const int fd = ::open((QFile::encodeName(dir) + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(f.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        ASSERT_EQ(f.write(photo), photo.size());
    }
    ASSERT_TRUE(list().goToPath(dir));
    ASSERT_EQ(list().count(), 2) << "a name that is not UTF-8 is left out";
    QStringList names;
    for (int r = 0; r < list().count(); ++r) {
        names << list().item(r).displayName;
        list().setItemSelected(r, true);
    }
    names.sort();
    EXPECT_EQ(names, QStringList({QString::fromUtf8("caf\xef\xbf\xbd.jpg"), QString::fromUtf8("写真.jpg")}));
    frame->photoAddClick();
    EXPECT_TRUE(script.messages.isEmpty()) << script.messages.join('\n').toStdString();
    EXPECT_EQ(form->state.pool.size(), 2);
}

} // namespace qv::test

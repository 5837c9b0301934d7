// Creation and first activation of the main window: disk space warning, work folder, restore.
#include "FormFixture.h"
#include "PaintBox.h"
#include "BookTypes.h"
#include "ProjectFile.h"
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <cstring>
#include <stdexcept>

namespace qv::test {
namespace {

const QString kLowDiskText = QStringLiteral(
    "message: ファイル保存先のディスク容量が少なくなっています。このまま作業を続けると、"
    "ファイルが保存できなくなる可能性があります。残りディスク容量を確認の上、作業してください。");

struct SpaceCase {
    std::optional<uint64_t> freeBytes;
    bool warns;
};

void PrintTo(const SpaceCase& c, std::ostream* os)
{
    *os << (c.freeBytes ? std::to_string(*c.freeBytes) : std::string("unknown")) << " free bytes";
}

class LowDiskTest : public FormTest, public testing::WithParamInterface<SpaceCase> {};

TEST_P(LowDiskTest, WarnsAtOrBelowThresholdAndWhenUnknown)
{
    fakePlatform.freeBytes = GetParam().freeBytes;
    makeForm();
    EXPECT_EQ(fakePlatform.askedForSpace, QStringList{fakePlatform.desktop});
    if (GetParam().warns)
        EXPECT_EQ(script.messages, QStringList{kLowDiskText});
    else
        EXPECT_TRUE(script.messages.isEmpty()) << script.messages.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Thresholds, LowDiskTest,
                         testing::Values(SpaceCase{uint64_t(600'000'000), true},
                                         SpaceCase{uint64_t(600'000'001), false},
                                         SpaceCase{uint64_t(0), true},
                                         SpaceCase{std::nullopt, true},
                                         SpaceCase{uint64_t(5'000'000'000'000), false}));

TEST_F(FormTest, UnresolvedDesktopWarnsAndStartUpContinues)
{
    fakePlatform.desktop.clear();
    makeForm();
    EXPECT_TRUE(fakePlatform.askedForSpace.isEmpty());
    EXPECT_EQ(script.messages, QStringList{kLowDiskText});
    EXPECT_TRUE(QFileInfo(work()).isDir());
    EXPECT_EQ(find("tool")->palette().color(QPalette::Window), QColor(201, 201, 201));
}

TEST_F(FormTest, CreationMakesWorkFolderAndThumbnailCache)
{
    makeForm();
    EXPECT_TRUE(QFileInfo(work()).isDir());
    EXPECT_TRUE(QFileInfo(work() + "thumb").isDir());
    EXPECT_TRUE(form->thumbCacheEnabled);
    EXPECT_EQ(form->thumbCachePath, work() + "thumb/");
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Qorvale"));
    EXPECT_EQ(form->state.editSide, 0);
}

TEST_F(FormTest, BlockedWorkFolderShowsSystemErrorAndSkipsThumbnailCache)
{
    writeFile(baseDir() + "qor_backup_editor", "not a folder");
    makeForm();
    ASSERT_EQ(script.messages.size(), 1);
    EXPECT_EQ(script.messages[0], "message: " + QString::fromLocal8Bit(std::strerror(EEXIST)));
    EXPECT_FALSE(form->thumbCacheEnabled);
    EXPECT_FALSE(QFileInfo(work() + "thumb").exists());
    // The colours were applied before, and the window keeps working.
    EXPECT_EQ(find("GridSet")->palette().color(QPalette::Window), QColor(201, 201, 201));
}

TEST_F(FormTest, BackBufferFollowsPaintBoxSize)
{
    makeForm();
    auto* pb = find<TPaintBox>("PBMain");
    EXPECT_FALSE(form->backBuffer.isNull());
    EXPECT_EQ(form->backBuffer.size(), pb->size());
    showForm();
    form->setWorkingBorder(true);   // the top menu keeps its size; the working steps resize
    form->resize(1100, 760);
    QCoreApplication::processEvents();
    EXPECT_EQ(pb->size(), form->backBuffer.size());
    EXPECT_GT(pb->width(), 700);
}

TEST_F(FormTest, FirstActivationRestoresThenShowsTopMenu)
{
    // Pages of an interrupted run stay on disk untouched.
    writeFile(work() + "0/qor.dat", QByteArray(4, '\0'));
    writeFile(work() + "5/qor.dat", QByteArray(4, '\0'));
    makeForm();
    ASSERT_TRUE(form->state.restorePending);

    QStringList captions;
    bool busyShownDuringRestore = false;
    const auto setCaption = form->state.busy.setCaption;
    form->state.busy.setCaption = [&](const QString& c) {
        captions << c;
        setCaption(c);
        busyShownDuringRestore = find("GridSet")->isVisibleTo(form.get());
    };

    form->FormActivate();
    EXPECT_EQ(captions, (QStringList{"処理中..", "ページ処理中.."}));
    EXPECT_TRUE(busyShownDuringRestore);
    EXPECT_FALSE(find("GridSet")->isVisibleTo(form.get()));
    EXPECT_FALSE(form->state.restorePending);
    EXPECT_EQ(form->Form2->menuMode, 9);
    auto* menu = find("pnlTopMenu");
    EXPECT_TRUE(menu->isVisibleTo(form.get()));
    EXPECT_TRUE(menu->isEnabled());
    for (const char* name : {"lblMenuPalm", "lblMenuCedar", "lblMenuMaple", "lblMenuReed"})
        EXPECT_TRUE(find(name)->isVisibleTo(form.get()) && find(name)->isEnabled()) << name;
    EXPECT_TRUE(QFileInfo::exists(work() + "0/qor.dat"));
    EXPECT_TRUE(QFileInfo::exists(work() + "5/qor.dat"));
    EXPECT_TRUE(script.messages.isEmpty()) << script.messages.join('\n').toStdString();

    // Later activations only repaint.
    form->Form2->menuMode = 8;
    form->FormActivate();
    EXPECT_EQ(captions.size(), 2);
    EXPECT_EQ(form->Form2->menuMode, 8);
}

TEST_F(FormTest, RestoreErrorDeletesTheWorkAndStartsWithTheTopMenu)
{
    writeFile(work() + "2/qor.dat", QByteArray(4, '\0'));
    makeForm();
    const auto setCaption = form->state.busy.setCaption;
    form->state.busy.setCaption = [&](const QString& c) {
        setCaption(c);
        if (c == QStringLiteral("ページ処理中.."))
            throw std::runtime_error("pool file unreadable");
    };
    form->FormActivate();
    EXPECT_EQ(script.messages,
              QStringList{"message: データ復元中にエラーが発生しました。作業ファイルを削除し、起動します。"});
    EXPECT_FALSE(QFileInfo::exists(work()));
    EXPECT_FALSE(find("GridSet")->isVisibleTo(form.get()));
    EXPECT_EQ(form->Form2->menuMode, 9);
    EXPECT_TRUE(find("pnlTopMenu")->isVisibleTo(form.get()));
}

TEST_F(FormTest, ShowingTheWindowRunsTheFirstActivation)
{
    makeForm();
    showForm();
    EXPECT_FALSE(form->state.restorePending);
    EXPECT_EQ(form->Form2->menuMode, 9);
    EXPECT_TRUE(find("pnlTopMenu")->isVisible());
}

TEST_F(FormTest, StartupProjectThatCannotBeOpenedFallsBackToTopMenu)
{
    makeForm();
    const QString missing = baseDir() + "missing.qvb";
    form->startupProject = missing;
    form->FormActivate();
    EXPECT_EQ(form->Form2->menuMode, 9);
    EXPECT_TRUE(find("pnlTopMenu")->isVisibleTo(form.get()));
    ASSERT_EQ(script.messages.size(), 1);
    EXPECT_TRUE(script.messages[0].contains(missing)) << script.messages[0].toStdString();

    makeForm();
    form->startupProject = "/tmp/book.qvb";
    QStringList opened;
    form->openProject = [&](const QString& p) {
        opened << p;
        return true;
    };
    form->FormActivate();
    EXPECT_EQ(opened, QStringList{"/tmp/book.qvb"});
    EXPECT_EQ(form->Form2->menuMode, 7);
    EXPECT_FALSE(find("pnlTopMenu")->isVisibleTo(form.get()));
}

TEST_F(FormTest, StartupProjectOpensInPhotoSelectionWithThatBook)
{
    // A Cedar book with two pages, packed from a work folder that is then removed.
    writeFile(work() + "0/qor.dat", QByteArray(4, '\0'));
    writeFile(work() + "6/qor.dat", QByteArray(4, '\0'));
    const QString book = baseDir() + "books/cedar.qvb";
    QDir().mkpath(baseDir() + "books");
    ASSERT_EQ(saveProjectFile(work(), findBookType("Cedar")->code, book).outcome, SaveOutcome::Saved);
    QDir(work()).removeRecursively();

    makeForm();
    form->startupProject = book;
    form->FormActivate();
    EXPECT_EQ(form->Form2->menuMode, 7);
    EXPECT_FALSE(find("pnlTopMenu")->isVisibleTo(form.get()));
    EXPECT_EQ(form->Form2->bookType, QStringLiteral("Cedar"));
    EXPECT_EQ(find<QComboBox>("cmbVersion")->currentText(), QStringLiteral("Cedar"));
    EXPECT_EQ(form->windowTitle(), "Qorvale " + QFileInfo(book).absoluteFilePath());
    EXPECT_TRUE(QFileInfo::exists(work() + "6/qor.dat"));
    EXPECT_FALSE(form->state.modified);
    EXPECT_TRUE(find("Qor_Panel")->isVisibleTo(form.get()));
    EXPECT_TRUE(find("Qor_Panel")->isEnabled());
    EXPECT_TRUE(script.messages.isEmpty()) << script.messages.join('\n').toStdString();
}

TEST_F(FormTest, StartupProjectAsksBeforeReplacingWorkLeftByACrash)
{
    for (const bool yes : {false, true}) {
        makeForm(); // the window of the round before took its work folder along
        QDir().mkpath(work() + "img");
        ASSERT_TRUE(QFile::copy(testData("orientation/Landscape_1.jpg"), work() + "img/0_.jpg"));
        script.messages.clear();
        script.confirmAnswers = {yes};
        form->startupProject = "/tmp/book.qvb";
        QStringList opened;
        form->openProject = [&](const QString& p) {
            opened << p;
            return true;
        };
        form->FormActivate();
        EXPECT_EQ(script.messages, QStringList{"question: " + kMsgLoseEdits});
        EXPECT_EQ(opened.size(), yes ? 1 : 0);
        EXPECT_EQ(form->Form2->menuMode, yes ? 7 : 9);
        EXPECT_EQ(form->state.pool.size(), 1) << "the crashed session is restored";
    }
}

TEST_F(FormTest, RestoreBringsPoolPhotosBackInOrder)
{
    QDir().mkpath(work() + "img");
    ASSERT_TRUE(QFile::copy(testData("orientation/Landscape_1.jpg"), work() + "img/0_.jpg"));
    ASSERT_TRUE(QFile::copy(testData("orientation/Portrait_1.jpg"), work() + "img/1_.jpg"));
    makeForm();
    form->FormActivate();
    ASSERT_EQ(form->state.pool.size(), 2);
    EXPECT_GT(form->state.pool[0].srcWidth, form->state.pool[0].srcHeight);
    EXPECT_LT(form->state.pool[1].srcWidth, form->state.pool[1].srcHeight);
    EXPECT_FALSE(find("GridSet")->isVisibleTo(form.get()));
    EXPECT_EQ(form->Form2->menuMode, 9);
}

TEST_F(FormTest, DocumentReachesTheWindowThroughItsHooks)
{
    makeForm();
    WindowHooks& w = form->state.window;
    w.setWindowCaption("Qorvale /home/user/book.qvb");
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Qorvale /home/user/book.qvb"));
    w.showQorPanel(false);
    EXPECT_TRUE(find("Qor_Panel")->isHidden());
    w.showQorPanel(true);
    w.enableQorPanel(false);
    EXPECT_FALSE(find("Qor_Panel")->isEnabled());
    w.enableQorPanel(true);
    w.changeMenu(8);
    EXPECT_EQ(form->Form2->menuMode, 8);
    auto* combo = find<QComboBox>("cmbVersion");
    w.selectTypeInList("Maple");
    EXPECT_EQ(combo->currentIndex(), 2);
    w.selectTypeInList("Fern S");   // not offered: the selection stays
    w.selectTypeInList("maple");
    EXPECT_EQ(combo->currentIndex(), 2);
}

} // namespace
} // namespace qv::test

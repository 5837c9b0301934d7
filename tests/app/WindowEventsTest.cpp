// Resizing, the busy panel, closing and destruction of the main window.
#include "FormFixture.h"
#include "SafeAssert.h"
#include "WidgetDialogs.h"
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>
#include <QTableWidget>

namespace qv::test {
namespace {

const QString kAskSave = QStringLiteral("question: 終了する前に保存しますか？");

TEST_F(FormTest, ResizeCentresBusyPanelAndKeepsClientWidths)
{
    makeForm();
    auto* folderBox = new QComboBox(find("imgFrame1"));
    folderBox->setObjectName("ComboBox3");
    showForm();
    form->setWorkingBorder(true);   // the top menu keeps its size; the working steps resize
    auto* busy = find("GridSet");
    auto* navigator = find<QScrollArea>("SB6");
    auto* strip = find<QTableWidget>("DG");
    struct Case {
        QSize window;
        QPoint busyAt;   // width / 2 - 273 / 2, height / 2 - 113 / 2, halves truncated
    };
    const Case cases[] = {
        {{829, 569}, {414 - 136, 284 - 56}},
        {{1000, 700}, {364, 294}},
        {{901, 633}, {314, 260}},
        {{1280, 801}, {504, 344}},
    };
    for (const Case& c : cases) {
        form->resize(c.window);
        QCoreApplication::processEvents();
        ASSERT_EQ(form->size(), c.window);
        EXPECT_EQ(busy->pos(), c.busyAt) << c.window.width() << "x" << c.window.height();
        EXPECT_EQ(navigator->viewport()->width(), 76);
        EXPECT_EQ(strip->viewport()->width(), 89);
        EXPECT_EQ(folderBox->width(), c.window.width() - 42);
        EXPECT_LE(navigator->width(), find("page")->width());
    }
}

TEST_F(FormTest, ClientWidthsHoldBeforeTheWindowIsShown)
{
    makeForm();
    showForm();
    EXPECT_EQ(find<QScrollArea>("SB6")->viewport()->width(), 76);
    EXPECT_EQ(find<QTableWidget>("DG")->viewport()->width(), 89);
}

TEST_F(FormTest, BusyHooksDriveThePanelProgressAndCursor)
{
    makeForm();
    showForm();
    BusyHooks& busy = form->state.busy;
    auto* panel = find<QLabel>("GridSet");
    busy.setCaption("ページ処理中. ");
    busy.show();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->text(), QStringLiteral("ページ処理中. "));
    busy.showProgress(40);
    busy.setProgress(25);
    EXPECT_TRUE(find("PanelPBar")->isVisible());
    EXPECT_EQ(find<QProgressBar>("PBar")->maximum(), 40);
    EXPECT_EQ(find<QProgressBar>("PBar")->value(), 25);
    busy.hideProgress();
    EXPECT_FALSE(find("PanelPBar")->isVisible());
    busy.hide();
    EXPECT_FALSE(panel->isVisible());

    busy.hourglass(true);
    busy.hourglass(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    busy.hourglass(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(FormTest, UnmodifiedBookClosesWithoutAQuestion)
{
    makeForm();
    showForm();
    form->quit();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(script.messages.isEmpty()) << script.messages.join('\n').toStdString();
}

TEST_F(FormTest, ModifiedBookAsksAndNoCloses)
{
    makeForm();
    showForm();
    form->state.modified = true;
    script.confirmAnswers = {false};
    int saves = 0;
    form->SaveFile = [&] { return ++saves, true; };
    form->quit();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(script.messages, QStringList{kAskSave});
    EXPECT_EQ(saves, 0);
}

TEST_F(FormTest, YesSavesAndAFailedSaveKeepsTheWindowOpen)
{
    makeForm();
    showForm();
    form->state.modified = true;
    bool saveResult = false;
    int saves = 0;
    form->SaveFile = [&] { return ++saves, saveResult; };
    script.confirmAnswers = {true};
    form->quit();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(saves, 1);

    saveResult = true;
    script.confirmAnswers = {true};
    form->quit();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(script.messages, (QStringList{kAskSave, kAskSave}));
}

TEST_F(FormTest, YesRunsTheProjectSaveAndCancellingItKeepsTheWindowOpen)
{
    makeForm();
    writeFile(work() + "3/qor.dat", QByteArray(4, '\0'));
    showForm();
    form->state.modified = true;
    script.confirmAnswers = {true};
    form->quit();   // the save dialog is cancelled
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(QFileInfo::exists(work() + "3/qor.dat"));
    ASSERT_EQ(script.messages.size(), 2);
    EXPECT_EQ(script.messages[0], kAskSave);
    EXPECT_TRUE(script.messages[1].startsWith("save: "));

    const QString book = baseDir() + "saved/book.qvb";
    QDir().mkpath(baseDir() + "saved");
    script.confirmAnswers = {true};
    script.fileAnswers = {book};
    form->quit();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(QFileInfo(book).isFile());
    EXPECT_FALSE(form->state.modified);
}

TEST_F(FormTest, QuitQuestionKeepsTheBookOnEnterAndTheWindowOnEscape)
{
    makeForm();
    showForm();
    int saves = 0;
    form->SaveFile = [&] { return ++saves, true; };
    WidgetDialogs real;   // the message box the user sees
    setDialogs(&real);
    const struct {
        const char* what;
        std::function<void(QWidget*)> answer;
        bool closes;
        int saves;
    } table[] = {
        {"Enter takes Yes and saves", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); }, true, 1},
        {"Escape keeps the window open", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); }, false, 0},
        {"the box's close button keeps it open", [](QWidget* box) { box->close(); }, false, 0},
        {"No still quits without saving",
         [](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click(); }, true, 0},
    };
    for (const auto& c : table) {
        saves = 0;
        form->state.modified = true;
        QString asked;
        onNextModal([&](QWidget* box) {
            asked = static_cast<QMessageBox*>(box)->text();
            c.answer(box);
        });
        EXPECT_EQ(form->FormCloseQuery(), c.closes) << c.what;
        EXPECT_EQ(saves, c.saves) << c.what;
        EXPECT_EQ(asked, kMsgSaveBeforeQuit) << c.what;
    }
    setDialogs(&script);
}

TEST_F(FormTest, EveryHookOfTheWindowIsWired)
{
    const QStringList before = liveUnwiredHooks();
    // No hook recorder here: only what the window and its document wire themselves.
    form = std::make_unique<TForm1>(baseDir());
    form->createDocument();
    QStringList left = liveUnwiredHooks();
    for (const QString& name : before)
        left.removeOne(name);
    EXPECT_EQ(left, QStringList()) << "hooks the window never wires";
}

TEST_F(FormTest, DestructionDeletesTheWorkFolder)
{
    makeForm();
    writeFile(work() + "3/qor.dat", QByteArray(4, '\0'));
    writeFile(work() + "img/0.jpg", "jpeg");
    showForm();
    form->quit();
    form.reset();
    EXPECT_FALSE(QFileInfo::exists(work()));
}

} // namespace
} // namespace qv::test

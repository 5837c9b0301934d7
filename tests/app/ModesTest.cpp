// The working steps on the real window: book-type choice, step buttons and their guards, the
// book-type conversion, the canvas and keys forwarded to the editor.
#include "EditorCore.h"
#include "FakePrinter.h"
#include "FormFixture.h"
#include "PaintBox.h"
#include "QorIO.h"
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <QWindow>

namespace qv::test {
namespace {

class Modes : public FormTest {
protected:
    FakePrinter printer;
    void TearDown() override { form.reset(); }   // before the printer it uses

    TForm1& open(const char* type = "Palm")
    {
        makeForm();
        showForm();
        QTest::mouseClick(find<QLabel>(QByteArray("lblMenu") + type), Qt::LeftButton);
        return *form;
    }
    void clickStep(const char* label) { QTest::mouseClick(find<QLabel>(label), Qt::LeftButton); }
    int mode() const { return form->Form2->menuMode; }
    /// Palm in design, on page folder 3 with one text at x = 370, not yet written.
    TForm2& designWithTextOnPage3()
    {
        open();
        clickStep("LabelH3");
        TForm2& d = *form->Form2;
        d.switchPage(3);
        d.addText(0, 0, QStringLiteral("夏"));
        d.items[1].centerX = 370;
        return d;
    }
    static bool samePicture(const QLabel* image, const QPixmap& p) { return image->pixmap().toImage() == p.toImage(); }
};

/// Counts the Hide events of the object it watches.
struct HideCounter : QObject {
    int hides = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        hides += e->type() == QEvent::Hide;
        return false;
    }
};

TEST_F(Modes, ChoosingATypeWritesTheBookAndOpensPhotoSelection)
{
    // The maximise hint follows the mode on the shown window without unmapping it: a window
    // manager still taking the first map could lose a second one.
    makeForm();
    HideCounter counter;
    form->installEventFilter(&counter);
    showForm();
    EXPECT_FALSE(form->windowHandle()->flags() & Qt::WindowMaximizeButtonHint);
    QTest::mouseClick(find<QLabel>("lblMenuPalm"), Qt::LeftButton);
    EXPECT_EQ(counter.hides, 0);
    EXPECT_TRUE(form->windowHandle()->flags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(mode(), 7);
    for (int p = 0; p < kPageFolderCount; ++p)
        EXPECT_TRUE(QFileInfo(work() + QString::number(p) + "/qor.dat").isFile()) << p;
    EXPECT_TRUE(form->imgFrame1->isVisible());
    EXPECT_FALSE(form->cmbVersion->isVisible());
    EXPECT_FALSE(form->pnlTopMenu->isVisible());
    EXPECT_TRUE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(Modes, ReedOpensOnItsFirstSpreadsRightPage)
{
    open("Reed");
    EXPECT_EQ(mode(), 7);
    EXPECT_EQ(form->Form2->currentPage, 1);
    EXPECT_EQ(form->state.editSide, 2);
}

TEST_F(Modes, StepButtonsSwitchAndTheCurrentOneIgnoresTheMouse)
{
    open();
    // The current step keeps its active picture under the mouse and on a click.
    QLabel* photos = find<QLabel>("LabelH2");
    const QPixmap active = form->stepSentaku.list->pictures.at(kPictureHover);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(photos, &leave);
    EXPECT_TRUE(samePicture(form->stepSentaku.image, active));
    clickStep("LabelH2");
    EXPECT_EQ(mode(), 7);

    clickStep("LabelH3");
    EXPECT_EQ(mode(), 8);
    EXPECT_TRUE(form->PBMain->isVisible());
    EXPECT_TRUE(form->cmbVersion->isEnabled());

    printer.check = NkPrinterCheck::NoPrinter;
    clickStep("LabelH4");
    printer.check = NkPrinterCheck::PrinterError;
    clickStep("LabelH4");
    EXPECT_EQ(mode(), 8);
    EXPECT_EQ(script.messages, QStringList({"message: プリンタがインストールされていません", "message: プリンタエラー"}));

    printer.check = NkPrinterCheck::Ready;
    clickStep("LabelH4");
    EXPECT_EQ(mode(), 6);
    EXPECT_TRUE(form->prt->isVisible());
    EXPECT_FALSE(form->main->isVisible());
    EXPECT_FALSE(form->cmbVersion->isEnabled());
    EXPECT_TRUE(form->isEnabled());

    clickStep("LabelH2");   // leaving printing hides the paper list
    EXPECT_EQ(mode(), 7);
    EXPECT_FALSE(find<QWidget>("papreCombo")->isVisible());
}

TEST_F(Modes, ConversionScalesEveryPageAndBack)
{
    TForm2& d = designWithTextOnPage3();
    d.PbfSave(-1);
    for (const auto& [type, x] : {std::pair{"Cedar", 500}, std::pair{"Palm", 370}}) {
        form->cmbVersion->setCurrentText(type);
        form->cmbVersionCloseUp();
        EXPECT_EQ(d.bookType, type);
        d.switchPage(3);
        ASSERT_EQ(d.itemCount(), 1);
        EXPECT_EQ(d.items[1].centerX, x) << type;
    }
}

TEST_F(Modes, APageThatCannotBeWrittenStopsConversionAndPrinting)
{
    TForm2& d = designWithTextOnPage3();
    ASSERT_TRUE(QDir().mkpath(work() + "3/qor.dat.new/blocked"));   // the page's file cannot be put aside
    form->cmbVersion->setCurrentText("Cedar");
    form->cmbVersionCloseUp();
    clickStep("LabelH4");
    EXPECT_EQ(script.messages, QStringList(2, "message: " + kMsgSaveFailed));
    EXPECT_EQ(d.bookType, "Palm");
    EXPECT_EQ(form->cmbVersion->currentText(), "Palm");
    EXPECT_EQ(mode(), 8);
    ASSERT_EQ(d.itemCount(), 1) << "the page kept its text in memory";
    EXPECT_EQ(d.items[1].centerX, 370);
}

TEST_F(Modes, CanvasGesturesAndKeysReachTheEditor)
{
    open();
    clickStep("LabelH3");
    TForm2& d = *form->Form2;
    d.switchPage(3);
    QWidget* canvas = form->PBMain;
    const QPoint o = form->editor->origin();
    QTest::mouseClick(find<QToolButton>("ToolButton2"), Qt::LeftButton);
    QTest::mousePress(canvas, Qt::LeftButton, {}, o + QPoint(20, 20));
    QTest::mouseMove(canvas, o + QPoint(60, 50));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, o + QPoint(60, 50));
    ASSERT_EQ(d.itemCount(), 1);
    EXPECT_EQ(d.items[1].kind, kKindRect);
    EXPECT_TRUE(find<QToolButton>("ToolButton0")->isChecked());

    // Select it, then an arrow key moves it by 1 mm even while an edit field has the focus,
    // where typed characters still arrive.
    // The panels around the canvas may have changed its size: click the item where it is now.
    const QPoint centre = form->editor->origin() +
        QPoint(qRound(d.items[1].centerX * d.amp()), qRound(d.items[1].centerY * d.amp()));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, centre);
    ASSERT_TRUE(d.items[1].selected);
    auto* field = new QLineEdit(form->tool);
    field->show();
    field->setFocus();
    const int32_t x = d.items[1].centerX;
    QTest::keyClick(field, Qt::Key_Right);
    QTest::keyClicks(field, "12");
    EXPECT_EQ(d.items[1].centerX, x + 10);
    EXPECT_EQ(field->text(), "12");
    // In photo selection the keys belong to the controls.
    clickStep("LabelH2");
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Home);
    QTest::keyClick(field, Qt::Key_Delete);
    EXPECT_EQ(field->text(), "2");
    EXPECT_EQ(d.items[1].centerX, x + 10);
}

TEST_F(Modes, LinkBarOpensTheInstalledGuideNeverTheNetwork)
{
    // The guide's pages keep the link bar's fixed paths, under PREFIX/share/doc/qorvale/guide
    // beside PREFIX/bin; a web address would open nothing on a machine without that site.
    open();
    const QString guide = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/doc/qorvale/guide");
    const std::pair<const char*, const char*> links[] = {
        {"LabelHelp", "/pdf/book_guide.pdf"}, {"LabelDownload", "/download/index.html"},
        {"LabelMail", "/contact/index.html"}};
    for (const auto& [label, page] : links) {
        fakePlatform.openedUrls.clear();
        QTest::mouseClick(find<QLabel>(label), Qt::LeftButton);
        EXPECT_EQ(fakePlatform.openedUrls, QStringList(QUrl::fromLocalFile(guide + page).toString())) << label;
    }
}

} // namespace
} // namespace qv::test

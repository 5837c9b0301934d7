// The print step in the window with a scripted printer: the sheet layout, the preview picture
// with its bands, marks and back side, and the messages of the flow.
#include "CupsQueue.h"
#include "FakePrinter.h"
#include "FormFixture.h"
#include "PrintPanel.h"
#include "SheetLayout.h"
#include "Unit3.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScopeGuard>

using namespace qv;
using namespace qv::test;

TEST(SheetLayoutTest, OutlineMarginsAndPageAreaForTheSheet)
{
    struct Case {
        const char* what;
        QSize physical, printable;
        QPoint offset;
        QSize paper, page;
        bool turned;
        QRect waku, paperArea, pintingArea;
        bool tome;
    };
    const Case cases[] = {
        {"A4 upright, Palm inner page, no margins", {4961, 7016}, {4961, 7016}, {}, {2100, 2970}, {1480, 1480}, true,
         {160, 9, 212, 300}, {223, 160, 149, 149}, {160, 9, 212, 300}, true},
        {"5 mm margins on a 148 mm sheet", {1748, 1748}, {1630, 1630}, {59, 59}, {1480, 1480}, {1480, 1480}, true,
         {72, 9, 300, 300}, {72, 9, 300, 300}, {82, 19, 280, 280}, false},
        {"Reed upright on A4 landscape", {7016, 4961}, {7016, 4961}, {}, {2970, 2100}, {1280, 1340}, false,
         {-52, 9, 424, 300}, {189, 118, 183, 191}, {-52, 9, 424, 300}, false},
    };
    for (const Case& c : cases) {
        const SheetLayout l = LayoutSheet({c.physical, c.printable, c.offset, c.paper, c.page, c.turned, false});
        EXPECT_EQ(l.waku, c.waku) << c.what;
        EXPECT_EQ(l.paperArea, c.paperArea) << c.what;
        EXPECT_EQ(l.pintingArea, c.pintingArea) << c.what;
        EXPECT_EQ(l.tomeVisible, c.tome) << c.what;
    }
    // Fern S inner pages lie on a lower outline.
    EXPECT_EQ(LayoutSheet({{1000, 1000}, {1000, 1000}, {}, {1480, 1050}, {1050, 1480}, true, true}).waku.height(), 200);
}

namespace {

class PrintStep : public FormTest {
protected:
    FakePrinter printer;
    QStringList marks; // navigator highlights, "k+" and "k-"

    void SetUp() override
    {
        FormTest::SetUp();
        printer.userPaper = true;
        printer.papers = {{2100, 2970}, {1480, 2100}};
        printer.dpi = 100;
        makeForm();
        form->state.window.selectPageRect = [this](int k, bool on) { marks << QString::number(k) + (on ? "+" : "-"); };
    }
    TPrintPanel& panel() { return *form->printPanel; }
    TPrtFrame& frame() { return *static_cast<TPrtFrame*>(form->PrtFrame); }

    /// Opens page index k with a side, as the navigator leaves it.
    void openPage(int k, int side)
    {
        form->Form2->switchPage(k);
        form->state.editSide = side;
    }
    /// Enters the print step as the working-step switch does.
    void enterPrinting()
    {
        PrintHooks& h = form->state.print;
        ASSERT_EQ(h.checkPrinter(), 0);
        form->Form2->menuMode = 6;
        h.prepareSettings();
        form->Form2->PbfSave(-1);
        if (!h.printerChosen()) {
            h.setAutoPaper(false);
            h.PrintStart();
            h.setAutoPaper(true);
        }
        h.PrintStart();
    }
    QImage picture() const { return static_cast<TPrtFrame*>(form->PrtFrame)->printImage->pixmap().toImage(); }
};

QRgb rgb(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

} // namespace

TEST_F(PrintStep, PalmInnerPageOnItsOwnSheetWithBandMarksAndBackSide)
{
    openPage(3, 2);
    enterPrinting();
    EXPECT_EQ(printer.paper, QSize(1480, 1480)); // the user-defined size, no list search
    EXPECT_EQ(find<QLabel>("printerLabel")->text(), " Fake");
    EXPECT_TRUE(find<QLabel>("paperLabel")->text().isEmpty()); // empty while the choice is automatic
    const QImage image = picture();
    ASSERT_EQ(image.size(), QSize(300, 300)); // the page fills the sheet outline
    // The binding band: 13 mm of 148 at the top; marks 31 to 37 mm from either side, 5 to 11 mm down.
    const int band = qRound(300 * 130 / 1480.0);
    EXPECT_EQ(rgb(image, 150, band - 1), 0xFFFFFFu);
    EXPECT_EQ(rgb(image, qRound(340 * 300 / 1480.0), qRound(50 * 300 / 1480.0)), kMarkColor & 0xFFFFFF);
    EXPECT_EQ(rgb(image, 299 - qRound(340 * 300 / 1480.0), qRound(50 * 300 / 1480.0)), kMarkColor & 0xFFFFFF);
    EXPECT_FALSE(frame().Image4->isHidden());
    EXPECT_EQ(frame().Label1->text(), "うら面");
    EXPECT_EQ(frame().Image4->size(), QSize(176, 176));
    // The back-side picture and its caption lie whole inside what the scroll box can show.
    const QRect box = frame().ScrollBox1->widget()->rect();
    EXPECT_TRUE(box.contains(frame().Image4->geometry())) << "back side cut off at x " << box.right();
    EXPECT_TRUE(box.contains(frame().Label1->geometry())) << "caption cut off at x " << box.right();
    EXPECT_GE(frame().Label1->width(), frame().Label1->sizeHint().width()) << "caption clipped";
    EXPECT_EQ(form->Form2->currentPage, 3); // the back side's page was read and left again
    EXPECT_EQ(form->state.editSide, 2);

    // The cover has no back side; leaving the step clears the picture.
    openPage(0, 0);
    form->state.print.PrintStart();
    EXPECT_TRUE(frame().Image4->isHidden());
    form->state.print.leavePrinting();
    EXPECT_TRUE(frame().printImage->pixmap().isNull());
}

TEST_F(PrintStep, MarginsOfThePrinterArePaintedOutAtTheBottomAndRight)
{
    printer.margin = 20; // 5 mm at 100 dpi
    openPage(3, 2);
    // A black page: a rectangle over the whole right page.
    TItemStatus it;
    it.kind = kKindRect;
    it.centerX = 1480 / 2;
    it.width = 1480;
    it.height = 1480;
    it.color = rgbColor(0, 0, 0);
    form->Form2->items.append(it);
    enterPrinting();
    const QImage image = picture();
    const int m = qRound(20 * 300 / 583.0); // the margin in frame pixels (583 pixels across)
    EXPECT_EQ(rgb(image, 150, 299 - m + 1), 0xFFFFFFu);
    EXPECT_EQ(rgb(image, 150, 299 - m - 1), 0u);
    EXPECT_EQ(rgb(image, 299 - m + 1, 150), 0xFFFFFFu);
    EXPECT_EQ(rgb(image, 299 - m - 1, 150), 0u);
}

TEST_F(PrintStep, MessagesOfTheFlow)
{
    printer.check = NkPrinterCheck::NoPrinter;
    EXPECT_EQ(form->state.print.checkPrinter(), 1);
    printer.check = NkPrinterCheck::PrinterError;
    EXPECT_EQ(form->state.print.checkPrinter(), 2);
    printer.check = NkPrinterCheck::Ready;

    printer.metricsFail = true;
    enterPrinting();
    EXPECT_TRUE(script.messages.contains("message: PageExtent Error"));
    printer.metricsFail = false;

    script.messages.clear();
    find<QCheckBox>("chkPrintCont")->setChecked(true);
    panel().printLabelClick();
    EXPECT_EQ(script.messages, QStringList{"message: 奇数ページか偶数ページを選択してください。"});
    EXPECT_EQ(printer.jobs, 0);

    // A sheet the printing service drops is reported with its page, here the cover.
    find<QCheckBox>("chkPrintCont")->setChecked(false);
    form->Form2->switchPage(0);
    form->state.editSide = 0;
    printer.endFails = true;
    printer.problem = "paper jam";
    script.messages.clear();
    panel().printLabelClick();
    EXPECT_EQ(script.messages, QStringList{"message: プリンタエラー\n表紙が印刷されませんでした。\n（paper jam）"});
    printer.endFails = false;

    printer.listFails = true; // the printer list cannot be read: both lists off, labels empty
    form->state.print.PrintStart();
    EXPECT_TRUE(find<QLabel>("printerLabel")->text().isEmpty());
    EXPECT_FALSE(find<QComboBox>("printerCombo")->isEnabled());
    EXPECT_FALSE(find<QComboBox>("papreCombo")->isEnabled());
}

TEST_F(PrintStep, ContinuousEvenRunOfReedPrintsTheRightHalvesOfIndexes1To15)
{
    form->Form2->bookType = "Reed";
    openPage(1, 2);
    enterPrinting();
    find<QCheckBox>("chkPrintCont")->setChecked(true);
    find<QRadioButton>("rdoEven")->setChecked(true);
    marks.clear();
    QStringList queueWindows;
    panel().openPrinterWindow = [&](const QString& name) { queueWindows << name; };
    panel().printLabelClick();
    EXPECT_EQ(printer.jobs, 15);
    EXPECT_EQ(queueWindows, QStringList{"Fake"}) << "the queue's window opens once per run, not per sheet";
    // The navigator marks each printed page by its number (right halves: 2k - 1), not its index.
    QStringList expected{"1-"};
    for (int k = 1; k <= 15; ++k)
        expected << QString::number(2 * k - 1) + "+" << QString::number(2 * k - 1) + "-";
    EXPECT_EQ(marks, expected);
    EXPECT_EQ(form->Form2->currentPage, 15);
    EXPECT_EQ(form->state.editSide, 2);
    find<QCheckBox>("chkPrintCont")->setChecked(false);
    panel().printLabelClick(); // the next run, of one sheet, opens it again
    EXPECT_EQ(queueWindows.size(), 2);
}

TEST(PrinterWindowTest, TheQueueViewerOfAPrinterOfThatExactNameNeverAWebBrowser)
{
    // Stand-ins for the desktop's programs, on a PATH of their own.
    const QString bin = baseDir() + "bin/";
    QDir().mkpath(bin);
    const auto standIn = [&](const char* name) {
        QFile f(bin + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n");
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    };
    const QByteArray path = qgetenv("PATH");
    const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
    qputenv("PATH", bin.toLocal8Bit());
    for (const char* browser : {"xdg-open", "x-www-browser", "firefox"})
        standIn(browser);
    const QStringList printers{"Office", "Photo Printer"};
    EXPECT_FALSE(printerWindowCommand("Office", printers)) << "without a queue viewer nothing opens";
    standIn("system-config-printer");
    const auto call = printerWindowCommand("Photo Printer", printers);
    ASSERT_TRUE(call);
    EXPECT_EQ(call->program, bin + "system-config-printer");
    EXPECT_EQ(call->arguments, QStringList({"--show-jobs", "Photo Printer"}));
    for (const char* other : {"office", "Photo", "Photo Printer ", ""})
        EXPECT_FALSE(printerWindowCommand(other, printers)) << "no printer is named '" << other << "'";
}

TEST_F(PrintStep, ChoosingAPaperByHandKeepsItForLaterPreviews)
{
    printer.userPaper = false;
    openPage(3, 2);
    enterPrinting();
    find<QCheckBox>("CB1")->setChecked(false);
    EXPECT_FALSE(find<QComboBox>("papreCombo")->isHidden());
    panel().papreComboChange(1);
    EXPECT_EQ(find<QLabel>("paperLabel")->text(), " 1480x2100");
    EXPECT_EQ(printer.paper, QSize(1480, 2100));
    form->state.print.PrintStart();
    EXPECT_EQ(printer.paper, QSize(1480, 2100)); // no automatic choice while a paper is shown
    // Back to the automatic choice: the label empties, and its hint no longer names that paper.
    find<QCheckBox>("CB1")->setChecked(true);
    EXPECT_TRUE(find<QLabel>("paperLabel")->text().isEmpty());
    EXPECT_TRUE(find<QLabel>("paperLabel")->toolTip().isEmpty()) << find<QLabel>("paperLabel")->toolTip().toStdString();
}

TEST_F(PrintStep, SettingsDialogAndPdfExportFromTheColumn)
{
    openPage(3, 2);
    enterPrinting();
    printer.scale = 80;
    printer.dialogAnswer = false; // cancelled: nothing changes
    panel().initLabelClick();
    EXPECT_EQ(printer.scale, 80);
    printer.dialogAnswer = true;
    panel().initLabelClick();
    EXPECT_EQ(printer.scale, 100);

    const QString pdf = baseDir() + "book.pdf";
    script.fileAnswers.push_back(pdf);
    find<QPushButton>("btnPdfExport")->click();
    EXPECT_EQ(pdfPageSizesMm(pdf).size(), 31);
    EXPECT_EQ(form->Form2->currentPage, 3);
    EXPECT_EQ(form->state.editSide, 2);
    script.fileAnswers.push_back(baseDir() + "no/such/folder/book.pdf");
    find<QPushButton>("btnPdfExport")->click();
    EXPECT_EQ(script.messages.last(), "error: PDFを書き出せませんでした。");
}

TEST_F(PrintStep, APrinterChangeRebuildsThePreviewOnlyInThePrintStep)
{
    openPage(3, 2);
    enterPrinting();
    ASSERT_TRUE(printer.onChange);
    TItemStatus unsaved;
    unsaved.kind = kKindRect;
    form->Form2->items.append(unsaved);
    form->Form2->menuMode = 8; // designing: the page being edited must stay as it is
    printer.onChange();
    EXPECT_EQ(form->Form2->itemCount(), 1);
    form->Form2->menuMode = 6;
    printer.paper = {2100, 2970};
    printer.onChange(); // the page is read again and the paper chosen afresh
    EXPECT_EQ(form->Form2->itemCount(), 0);
    EXPECT_EQ(printer.paper, QSize(1480, 1480));
}

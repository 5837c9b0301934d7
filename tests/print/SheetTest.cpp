// The printed sheet without a printer: the paper choice, the quarter turn, the cut to the
// printable area, and the failures of a job.
#include "FakePrinter.h"
#include "FormFixture.h"
#include "PageRenderer.h"
#include "PaperChoice.h"
#include "ScriptedDialogs.h"
#include "SheetPdf.h"
#include "SheetPrinting.h"
#include "CupsQueue.h"
#include <QFile>
#include "TestEnv.h"
#include "Unit2.h"
#include <QRandomGenerator>
#include <QTransform>
#include <gtest/gtest.h>

using namespace qv;
using namespace qv::test;

TEST(PaperChoiceTest, UserSizeFirstThenTheListWithinItsTolerances)
{
    struct Case {
        const char* what;
        bool userPaper;
        QList<QSize> papers;
        QSize wanted, paper;
        int index, scale;
        PaperChoice how;
    };
    const QList<QSize> list{{2100, 2970}, {1000, 1480}, {1480, 2100}, {1490, 1490}, {1475, 1475}};
    const Case cases[] = {
        {"user size taken as it is", true, list, {1480, 1480}, {1480, 1480}, 0, 90, PaperChoice::UserDefined},
        {"width 0.2 mm short: taken whatever its height", false, {{2100, 2970}, {1478, 900}}, {1480, 1480}, {1478, 900}, 1, 90, PaperChoice::CloseWidth},
        {"smallest paper at most 1.1 mm short", false, list, {1484, 1484}, {1475, 1475}, 4, 100, PaperChoice::Best},
        {"nothing big enough: the first paper", false, list, {3000, 4000}, {2100, 2970}, 0, 100, PaperChoice::Best},
    };
    for (const Case& c : cases) {
        FakePrinter p;
        p.userPaper = c.userPaper;
        p.papers = c.papers;
        p.scale = 90;
        p.paper = {1, 1};
        const PaperChoice how = chooseAutoPaper(p, c.wanted);
        EXPECT_EQ(how, c.how) << c.what;
        EXPECT_EQ(p.paper, c.paper) << c.what;
        EXPECT_EQ(p.paperIndex, c.index) << c.what;
        EXPECT_EQ(p.scale, c.scale) << c.what;
    }
    EXPECT_EQ(wantedSheet("Palm", 1480, 1480), QSize(1480, 1480));
    EXPECT_EQ(wantedSheet("Cedar", 2000, 2100), QSize(2100, 2000));
    EXPECT_EQ(wantedSheet("Reed", 1000, 1480), QSize(1000, 1480));
}

TEST(QuarterTurnTest, EqualsAnExactTurnForBothDepthsAndDirections)
{
    QImage source(37, 21, QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            source.setPixel(x, y, QRandomGenerator::global()->generate() | 0xFF000000u);
    for (QImage::Format f : {QImage::Format_RGB32, QImage::Format_BGR888}) {
        const QImage s = source.convertToFormat(f);
        for (bool clockwise : {true, false}) {
            int last = -1;
            const QImage turned = quarterTurn(s, clockwise, [&](int row) { last = row; });
            const QImage expected = s.transformed(QTransform().rotate(clockwise ? 90 : -90));
            EXPECT_EQ(turned, expected) << "format " << f << (clockwise ? " clockwise" : " counter-clockwise");
            EXPECT_EQ(last, s.width() - 1); // the bar reaches the last row
        }
    }
    EXPECT_TRUE(quarterTurn(QImage(4, 4, QImage::Format_Indexed8), true).isNull());
}

TEST(SheetCutTest, KeepsOnlyThePrintableAreaAtItsPlace)
{
    QImage turned(100, 80, QImage::Format_RGB32);
    turned.fill(Qt::black);
    PrinterMetrics m;
    m.offset = {5, 7};
    m.page = {88, 70};
    const QImage sheet = cutToPrintableArea(turned, m);
    ASSERT_EQ(sheet.size(), turned.size());
    struct Probe { int x, y; QRgb rgb; } probes[] = {
        {0, 0, 0xFF000000}, {87, 69, 0xFF000000}, {88, 0, 0xFFFFFFFF}, {0, 70, 0xFFFFFFFF}, {99, 79, 0xFFFFFFFF},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(sheet.pixel(p.x, p.y), p.rgb) << p.x << "," << p.y;
}

namespace {
struct Sheet : testing::Test {
    TMainState st;
    TForm2 doc{st, baseDir()};
    PageRenderer r{doc, st};
    FakePrinter printer;
    ScriptedDialogs script;
    QStringList captions;
    int shown = 0;
    PrinterMetrics m;

    void SetUp() override
    {
        st.busy.setCaption = [this](const QString& c) { captions << c; };
        st.busy.show = [this] { ++shown; };
        st.busy.hide = [this] { --shown; };
        doc.currentPage = 3;
        doc.setQorType();
        // A black 20 x 10 mm rectangle 10 mm right of the spine, 5 mm below the middle.
        TItemStatus it;
        it.kind = kKindRect;
        it.centerX = 200;
        it.centerY = 50;
        it.width = 200;
        it.height = 100;
        it.color = rgbColor(0, 0, 0);
        doc.items.append(it);
        m.physical = m.page = {1480, 1480}; // one pixel per unit
        m.paper = {1480, 1480};
    }
};
} // namespace

TEST_F(Sheet, TurnsTheRightPageCounterClockwiseAndTheLeftClockwise)
{
    st.editSide = 2;
    ASSERT_EQ(PrintSheet(r, printer, m, st.busy, {}), SheetOutcome::Printed);
    ASSERT_EQ(printer.sheets.size(), 1);
    QImage s = printer.sheets[0];
    EXPECT_EQ(s.format(), QImage::Format_BGR888);
    // Right page: spine 130 units in. The box spans x 230..430, y 740..840 on the page; turned
    // counter-clockwise, page (x, y) lands at (y, 1479 - x).
    EXPECT_EQ(s.pixel(790, 1479 - 330) & 0xFFFFFF, 0u);
    EXPECT_EQ(s.pixel(790, 330) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(captions, QStringList({"印刷処理中    ", "印刷処理中.   ", "印刷処理中..  ", "印刷処理中... ", "印刷処理中...."}));
    EXPECT_EQ(shown, 0);

    doc.bookType = "Reed";
    doc.setQorType();
    printer.sheets.clear();
    ASSERT_EQ(PrintSheet(r, printer, m, st.busy, {}), SheetOutcome::Printed);
    // Reed stays upright: the right page's spine is its left edge.
    s = printer.sheets[0];
    EXPECT_EQ(s.pixel(200, doc.pageHeight / 2 + 50) & 0xFFFFFF, 0u);
    EXPECT_EQ(s.pixel(50, doc.pageHeight / 2 + 50) & 0xFFFFFF, 0xFFFFFFu); // binding strip
}

TEST_F(Sheet, ASheetThatCannotBeDrawnIsAbortedWithAMessageALostOneIsLeftToTheCaller)
{
    st.editSide = 2;
    printer.beginFails = true;
    EXPECT_EQ(PrintSheet(r, printer, m, st.busy, {}), SheetOutcome::Lost); // told by the caller, who knows the page
    EXPECT_TRUE(script.messages.isEmpty());
    EXPECT_EQ(printer.aborted, 0);

    printer.beginFails = false;
    printer.drawFails = true;
    int opened = 0;
    EXPECT_EQ(PrintSheet(r, printer, m, st.busy, [&] { ++opened; }), SheetOutcome::Failed);
    EXPECT_EQ(script.messages, QStringList{"error: 印刷に失敗しました。"});
    EXPECT_EQ(printer.aborted, 1);
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(shown, 0); // the busy panel is hidden after a failure too
}

TEST(SheetPdfTest, TheSheetKeepsItsExactSizeAndThePictureLandsAtItsPlace)
{
    QImage picture(100, 50, QImage::Format_BGR888);
    picture.fill(Qt::black);
    const QSizeF sheetPt(168 / 25.4 * 72, 170 / 25.4 * 72); // 476.22 x 481.89 pt, no whole points
    const QString path = baseDir() + "sheet.pdf";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(sheetPdf(picture, sheetPt, sheetPictureRectPt(picture.size(), QPoint(30, 40), 72)));
    f.close();
    const QList<QSizeF> sizes = pdfPageSizesMm(path);
    ASSERT_EQ(sizes.size(), 1);
    EXPECT_NEAR(sizes[0].width(), 168, 0.01);
    EXPECT_NEAR(sizes[0].height(), 170, 0.01);
    const QRect ink = darkBox(rasterisePdfPage(path, 1, 72)); // at 72 dpi a point is a pixel
    EXPECT_EQ(ink.topLeft(), QPoint(30, 40));
    EXPECT_NEAR(ink.width(), 100, 1); // the rasteriser takes in the far edge's pixel
    EXPECT_NEAR(ink.height(), 50, 1);
    EXPECT_TRUE(sheetPdf(QImage(), sheetPt, {}).isEmpty());
}

// Sheets printed on a real CUPS queue, measured in what comes out of it: the sheet's size from
// the PDF file and the placement of a drawn rectangle on the sheet rasterised at 300 dpi.
#include "CupsQueue.h"
#include "FormFixture.h"
#include "NkPrinter.h"
#include "PageRenderer.h"
#include "PaperChoice.h"
#include "SheetLayout.h"
#include "SheetPrinting.h"
#include <gtest/gtest.h>

using namespace qv;
using namespace qv::test;

namespace {

constexpr double kPxPerMm = 300 / 25.4;

class CupsPrint : public testing::Test {
protected:
    TMainState st;
    TForm2 doc{st, baseDir()};
    PageRenderer r{doc, st};
    std::unique_ptr<TNkPrinter> printer;

    void SetUp() override
    {
        const QString problem = ensureCupsQueue();
        ASSERT_TRUE(problem.isEmpty()) << "no CUPS queue for the print tests: " << problem.toStdString();
        usePrinter(kTestQueue);
        nameJobsForThisTest();
    }

    /// Prints on the named queue from now on, at 300 dpi.
    void usePrinter(const QString& queue)
    {
        printer = makeSystemPrinter();
        const auto names = printer->Printers();
        ASSERT_TRUE(names && names->contains(queue)) << "queue " << queue.toStdString() << " not listed";
        printer->SetIndex(int(names->indexOf(queue)));
        printer->SetResolution(300);
        queueName = queue;
    }
    QString queueName;

    PrinterMetrics readMetrics()
    {
        PrinterMetrics m;
        m.page = printer->PageExtent().value_or(QSize());
        m.physical = printer->PhysicalSize().value_or(QSize());
        m.paper = printer->PaperSize().value_or(QSize());
        m.offset = printer->PageOffset().value_or(QPoint());
        return m;
    }

    /// Puts a black rectangle of w x h (0.1 mm) with its centre at page-relative (x, y) on the
    /// given side of a page index of a book type.
    void placeRect(const QString& type, int index, int side, int x, int y, int w, int h)
    {
        doc.bookType = type;
        doc.currentPage = index;
        st.editSide = side;
        doc.setQorType();
        TItemStatus it;
        it.kind = kKindRect;
        const QPoint c = r.CnvPointToOrg(x, y);
        it.centerX = c.x();
        it.centerY = c.y();
        it.width = w;
        it.height = h;
        it.color = rgbColor(0, 0, 0);
        doc.items.resize(1);
        doc.items.append(it);
    }

    /// Chooses the paper for the current page, prints it and returns the queue's file.
    QString printCurrentPage()
    {
        chooseAutoPaper(*printer, wantedSheet(doc.bookType, doc.pageWidth, doc.pageHeight));
        const QStringList before = cupsOutputFiles();
        EXPECT_EQ(PrintSheet(r, *printer, readMetrics(), st.busy, {}), SheetOutcome::Printed)
            << printer->JobProblem().toStdString();
        const QStringList out = waitForCupsOutput(before, 1, 60000, queueName);
        EXPECT_EQ(out.size(), 1) << "the queue wrote no file";
        return out.value(0);
    }
};

/// Compares a measured box (pixels at 300 dpi) with one given in millimetres.
void expectBoxMm(const QRect& box, double left, double top, double width, double height)
{
    const double tol = 0.3 * kPxPerMm;
    EXPECT_NEAR(box.width(), width * kPxPerMm, tol) << "width";
    EXPECT_NEAR(box.height(), height * kPxPerMm, tol) << "height";
    EXPECT_NEAR(box.left(), left * kPxPerMm, 2 * tol) << "left";
    EXPECT_NEAR(box.top(), top * kPxPerMm, 2 * tol) << "top";
}

} // namespace

TEST_F(CupsPrint, PalmInnerPageLiesTurnedOnASheetOfItsOwnSize)
{
    // Right page: a 100 x 40 mm rectangle from 37 to 137 mm across (24 to 124 mm right of the
    // spine, which lies 13 mm in) and 24 to 64 mm down.
    placeRect("Palm", 3, 2, 740, 440, 1000, 400);
    const QString pdf = printCurrentPage();
    const QList<QSizeF> sizes = pdfPageSizesMm(pdf);
    ASSERT_EQ(sizes.size(), 1);
    EXPECT_NEAR(sizes[0].width(), 148, 0.2);
    EXPECT_NEAR(sizes[0].height(), 148, 0.2);
    // Turned counter-clockwise: the page's (x, y) lies at (y, 148 mm - x) on the sheet.
    expectBoxMm(darkBox(rasterisePdfPage(pdf, 1, 300)), 24, 11, 40, 100);
}

TEST_F(CupsPrint, ReedPageIsPrintedUpright)
{
    placeRect("Reed", 4, 2, 640, 270, 1000, 400);
    const QString pdf = printCurrentPage();
    const QList<QSizeF> sizes = pdfPageSizesMm(pdf);
    ASSERT_EQ(sizes.size(), 1);
    // The PDF queue keeps its sheet in whole points after whole pixels: up to 0.4 mm short.
    EXPECT_NEAR(sizes[0].width(), 128, 0.4);
    EXPECT_NEAR(sizes[0].height(), 134, 0.4);
    expectBoxMm(darkBox(rasterisePdfPage(pdf, 1, 300)), 14, 7, 100, 40);
}

TEST_F(CupsPrint, EveryBookTypesSheetsGetTheirExactSizeOnAQueueThatTakesCustomSizes)
{
    // Any size, A4 and A3 listed, margins of 6 pt left, 10 top, 8 right and 12 bottom.
    RunQueue queue("QvCustom", "custom.ppd");
    ASSERT_TRUE(queue.problem.isEmpty()) << queue.problem.toStdString();
    usePrinter(queue.name);
    printer->SetResolution(72); // blank sheets: only their size is measured, in points
    QList<QSize> printed;
    for (const char* type : {"Palm", "Cedar", "Maple", "Reed", "Fern S", "Fern M", "Fern L"}) {
        for (int index : {0, 3}) { // the cover and an inner page
            placeRect(type, index, 2, 0, 0, 0, 0);
            doc.items.resize(1);
            const QSize wanted = wantedSheet(type, doc.pageWidth, doc.pageHeight);
            const std::string what = std::string(type) + (index ? " inner page" : " cover");
            EXPECT_EQ(chooseAutoPaper(*printer, wanted), PaperChoice::UserDefined) << what;
            const QSize got = printer->PaperSize().value_or(QSize());
            EXPECT_NEAR(got.width(), wanted.width(), 2) << what;
            EXPECT_NEAR(got.height(), wanted.height(), 2) << what;
            EXPECT_EQ(printer->PageOffset(), QPoint(6, 10)) << what;
            EXPECT_EQ(*printer->PhysicalSize() - *printer->PageExtent(), QSize(6 + 8, 10 + 12)) << what;
            if (printed.contains(wanted))
                continue;
            printed << wanted;
            // What reaches the spool: the queue keeps whole points, up to 0.36 mm short.
            const QList<QSizeF> sizes = pdfPageSizesMm(printCurrentPage());
            ASSERT_EQ(sizes.size(), 1) << what;
            EXPECT_NEAR(sizes[0].width(), wanted.width() / 10.0, 0.4) << what;
            EXPECT_NEAR(sizes[0].height(), wanted.height() / 10.0, 0.4) << what;
        }
    }
    EXPECT_EQ(printed.size(), 8);
}

TEST_F(CupsPrint, TheQueuesMarginsFrameThePrintedPageAndThePreviewsPrintableArea)
{
    // A5 paper (420 x 595 pt, the first as wide as the page) with margins of 14 pt left,
    // 10 top, 20 right and 34 bottom.
    RunQueue queue("QvMargins", "margins.ppd");
    ASSERT_TRUE(queue.problem.isEmpty()) << queue.problem.toStdString();
    usePrinter(queue.name);
    placeRect("Palm", 3, 2, 740, 740, 1700, 1700); // ink over the whole right page
    const QString pdf = printCurrentPage();
    const PrinterMetrics m = readMetrics();
    const auto px = [](double pt) { return qRound(pt * 300 / 72); };
    EXPECT_EQ(m.physical, QSize(px(420), px(595)));
    EXPECT_EQ(m.offset, QPoint(px(14), px(10)));
    EXPECT_EQ(m.page, QSize(px(420) - px(14) - px(20), px(595) - px(10) - px(34)));

    // The ink stops at the margins (its bottom is the white binding band along the spine).
    const QRect ink = darkBox(rasterisePdfPage(pdf, 1, 300));
    const double tol = 0.3 * kPxPerMm;
    EXPECT_NEAR(ink.left(), px(14), tol) << "left margin";
    EXPECT_NEAR(ink.top(), px(10), tol) << "top margin";
    EXPECT_NEAR(ink.right() + 1, px(420 - 20), tol) << "right margin";

    // The preview's dotted outline: the sheet turned by a half, margins in frame pixels.
    const SheetLayout l = LayoutSheet({m.physical, m.page, m.offset, m.paper, {1480, 1480}, true, false});
    const QRect sheet = l.waku, area = l.pintingArea;
    EXPECT_NEAR(area.left() - sheet.left(), 20 * sheet.width() / 420.0, 1) << "right margin, seen turned";
    EXPECT_NEAR(sheet.right() - area.right(), 14 * sheet.width() / 420.0, 1) << "left margin, seen turned";
    EXPECT_NEAR(area.top() - sheet.top(), 34 * sheet.height() / 595.0, 1) << "bottom margin, seen turned";
    EXPECT_NEAR(sheet.bottom() - area.bottom(), 10 * sheet.height() / 595.0, 1) << "top margin, seen turned";
}

// Sheets printed on a real CUPS queue, measured in what comes out of it: the sheet's size from
// the PDF file and the placement of a drawn rectangle on the sheet rasterised at 300 dpi.
#include "CupsQueue.h"
#include "FormFixture.h"
#include "NkPrinter.h"
#include "PageRenderer.h"
#include "PaperChoice.h"
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
        printer = makeSystemPrinter();
        const auto names = printer->Printers();
        ASSERT_TRUE(names && names->contains(kTestQueue)) << "queue " << kTestQueue.toStdString() << " not listed";
        printer->SetIndex(int(names->indexOf(kTestQueue)));
        printer->SetResolution(300);
        nameJobsForThisTest();
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
        PrinterMetrics m;
        m.page = printer->PageExtent().value_or(QSize());
        m.physical = printer->PhysicalSize().value_or(QSize());
        m.paper = printer->PaperSize().value_or(QSize());
        m.offset = printer->PageOffset().value_or(QPoint());
        const QStringList before = cupsOutputFiles();
        EXPECT_EQ(PrintSheet(r, *printer, m, st.busy, {}), SheetOutcome::Printed) << printer->JobProblem().toStdString();
        const QStringList out = waitForCupsOutput(before, 1);
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

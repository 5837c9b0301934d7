// qorvale-tool pdf run as a program on a packed book: one page per book page at its own size,
// upright, and a rectangle measured on the rasterised page.
#include "CupsQueue.h"
#include "FormFixture.h"
#include "PageRenderer.h"
#include "WorkFolder.h"
#include <QProcess>
#include <gtest/gtest.h>

using namespace qv;
using namespace qv::test;

namespace {

QString toolPath() { return QCoreApplication::applicationDirPath() + "/../tools/qorvale-tool"; }

int runTool(const QStringList& args, QString* err = nullptr)
{
    QProcess p;
    p.start(toolPath(), args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitCode();
}

} // namespace

TEST(PdfCommand, EveryPageAtItsOwnSizeWithTheItemsAtTrueSize)
{
    // Book page 1 (the right page of index 1) holds a 100 x 40 mm rectangle, its left edge
    // 20 mm right of the spine and its top 30 mm down.
    const QString work = baseDir() + "book/" + kWorkFolderName + '/';
    {
        TMainState st;
        TForm2 doc(st, baseDir() + "book");
        for (int page = 0; page < kPageFolderCount; ++page) {
            doc.currentPage = page;
            doc.items.resize(1);
            if (page == 1) {
                TItemStatus it;
                it.kind = kKindRect;
                it.centerX = 200 + 500;
                it.centerY = 300 + 200 - 740;
                it.width = 1000;
                it.height = 400;
                it.color = rgbColor(0, 0, 0);
                doc.items.append(it);
            }
            ASSERT_TRUE(doc.PbfSave(-1));
        }
    }
    const QString book = baseDir() + "b.qvb", pdf = baseDir() + "b.pdf";
    ASSERT_EQ(runTool({"pack", work, book, "--type", "Palm"}), 0);
    QString err;
    ASSERT_EQ(runTool({"pdf", book, pdf}, &err), 0) << err.toStdString();
    const QList<QSizeF> sizes = pdfPageSizesMm(pdf);
    ASSERT_EQ(sizes.size(), 31);
    EXPECT_NEAR(sizes[0].width(), 257, 0.2); // the cover
    EXPECT_NEAR(sizes[0].height(), 182, 0.2);
    for (int p = 1; p < 31; ++p)
        EXPECT_NEAR(sizes[p].width(), 148, 0.2) << "page " << p;
    const QRect box = darkBox(rasterisePdfPage(pdf, 2, 300));
    const double mm = 300 / 25.4;
    EXPECT_NEAR(box.width(), 100 * mm, 0.3 * mm);
    EXPECT_NEAR(box.height(), 40 * mm, 0.3 * mm);
    EXPECT_NEAR(box.left(), 33 * mm, 0.6 * mm); // the spine lies 13 mm in
    EXPECT_NEAR(box.top(), 30 * mm, 0.6 * mm);

    ASSERT_EQ(runTool({"pdf", book, pdf, "--pages", "even", "--dpi", "100"}), 0);
    EXPECT_EQ(pdfPageSizesMm(pdf).size(), 15);
    EXPECT_EQ(runTool({"pdf", book, pdf, "--pages", "31"}, &err), 2);
    EXPECT_TRUE(err.contains("--pages must be all, odd, even or a page 0 to 30")) << err.toStdString();
}

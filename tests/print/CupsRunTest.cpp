// A whole odd run of a Palm book from the print step of the window on the real CUPS queue:
// one sheet per right page of indexes 1 to 15, in order, and the book left as it was.
#include "CupsQueue.h"
#include "FormFixture.h"
#include "NkPrinter.h"
#include "PrintPanel.h"
#include "WorkFolder.h"
#include <QCheckBox>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QRadioButton>

using namespace qv;
using namespace qv::test;

namespace {

/// Every file of the book below dir with a digest of its bytes (the undo snapshot of the page
/// last opened and the links of replaced files still being freed are no part of the book).
QStringList digest(const QString& dir)
{
    QStringList out;
    for (const QString& path : listTree(dir))
        if (QFileInfo(path).isFile() && !path.contains("/undo/") && !path.contains("/discard/"))
            out << path + ' ' + QCryptographicHash::hash(readFile(path), QCryptographicHash::Md5).toHex();
    return out;
}

} // namespace

TEST_F(FormTest, OddRunOfAPalmBookPrintsTheRightPagesOfIndexes1To15)
{
    const QString problem = ensureCupsQueue();
    ASSERT_TRUE(problem.isEmpty()) << "no CUPS queue for the print tests: " << problem.toStdString();
    TNkPrinter& printer = nkPrinter();
    const auto names = printer.Printers();
    ASSERT_TRUE(names && names->contains(kTestQueue));
    printer.SetIndex(int(names->indexOf(kTestQueue)));
    printer.SetResolution(100); // enough to measure millimetres, and quick

    makeForm();
    nameJobsForThisTest();
    TForm2& doc = *form->Form2;
    form->state.window.selectPageRect = [](int, bool) {};
    // Right page of index k: a black bar k x 5 mm wide; left pages: a bar 60 mm wide.
    for (int k = 1; k < kPageFolderCount; ++k) {
        doc.switchPage(k);
        for (int x : {500, -370}) {
            TItemStatus it;
            it.kind = kKindRect;
            it.centerX = x;
            it.width = x > 0 ? 50 * k : 600;
            it.height = 100;
            it.color = rgbColor(0, 0, 0);
            it.selected = false; // as a page read from the work folder holds it
            doc.items.append(it);
        }
    }
    doc.switchPage(3);
    form->state.editSide = 1;
    doc.menuMode = 6;
    PrintHooks& h = form->state.print;
    h.prepareSettings();
    doc.PbfSave(-1);
    form->state.modified = false; // as just saved
    h.PrintStart();
    const QStringList book = digest(work());

    find<QCheckBox>("chkPrintCont")->setChecked(true);
    find<QRadioButton>("rdoOdd")->setChecked(true);
    const QStringList before = cupsOutputFiles();
    form->printPanel->printLabelClick();
    const QStringList sheets = waitForCupsOutput(before, 15, 90000);
    ASSERT_EQ(sheets.size(), 15);
    for (int k = 1; k <= 15; ++k) {
        // Turned on the sheet, the bar's width runs down the page (to a pixel or so each side,
        // after the queue's own resampling).
        const QRect bar = darkBox(rasterisePdfPage(sheets[k - 1], 1, 100));
        EXPECT_NEAR(bar.height(), 5 * k * 100 / 25.4, 3) << "sheet " << k;
    }
    EXPECT_EQ(digest(work()), book); // printing wrote nothing new into the book
    EXPECT_FALSE(form->state.modified); // and leaves nothing to save
}

// A whole odd run of a Palm book from the print step of the window on the real CUPS queue:
// one sheet per right page of indexes 1 to 15, in order, and the book left as it was.
#include "CupsQueue.h"
#include "FormFixture.h"
#include "NkPrinter.h"
#include "PrintPanel.h"
#include "WorkFolder.h"
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QThread>
#include <QFileInfo>
#include <QLabel>
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

/// Waits, with the event loop running, until `done` holds; false when the time ran out.
bool waitWithEvents(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(50);
    }
    return done();
}

/// The window in the print step of a blank Palm book, printing on a real queue at 72 dpi.
class CupsPrintStep : public FormTest {
protected:
    void enterPrintStepOn(const QString& queue)
    {
        TNkPrinter& printer = nkPrinter();
        const auto names = printer.Printers();
        ASSERT_TRUE(names && names->contains(queue)) << queue.toStdString() << " not listed";
        printer.SetIndex(int(names->indexOf(queue)));
        printer.SetResolution(72);
        makeForm();
        nameJobsForThisTest();
        form->Form2->switchPage(3);
        form->state.editSide = 2;
        form->Form2->menuMode = 6;
        form->state.print.prepareSettings();
        form->Form2->PbfSave(-1);
        form->state.print.PrintStart();
    }
    QStringList listedPrinters() const
    {
        const auto* list = find<QComboBox>("printerCombo");
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->itemText(i);
        return names;
    }
};

} // namespace

TEST_F(CupsPrintStep, ASheetThatDoesNotGoOutStopsTheRunAndSaysWhichPage)
{
    struct Case {
        const char* what;
        int atPage;                          // the page whose sheet is lost
        std::function<void(RunQueue&)> act;  // what happens to the queue as that page comes
        int sheetsOut;
        const char* why;
    };
    const Case cases[] = {
        {"queue disabled", 5, [](RunQueue& q) { q.disable(); }, 2, "プリンタが停止しています"},
        {"queue removed", 3, [](RunQueue& q) { q.remove(); }, 1, "プリンタが見つかりません"},
    };
    for (const Case& c : cases) {
        RunQueue queue("QvLost");
        ASSERT_TRUE(queue.problem.isEmpty()) << queue.problem.toStdString();
        enterPrintStepOn(queue.name);
        form->state.window.selectPageRect = [&](int pageNo, bool on) {
            if (on && pageNo == c.atPage)
                c.act(queue);
        };
        find<QCheckBox>("chkPrintCont")->setChecked(true);
        find<QRadioButton>("rdoOdd")->setChecked(true);
        script.messages.clear();
        const QStringList before = cupsOutputFiles();
        form->printPanel->printLabelClick();
        ASSERT_EQ(script.messages.size(), 1) << c.what << ": the lost sheet went unnoticed";
        EXPECT_EQ(script.messages[0],
                  QString("message: プリンタエラー\n%1ページが印刷されませんでした。\n（%2）").arg(c.atPage).arg(c.why))
            << c.what;
        EXPECT_EQ(form->Form2->currentPage, (c.atPage + 1) / 2) << c.what << ": the run went on";
        EXPECT_TRUE(queue.pendingJobs().isEmpty()) << c.what << ": the lost sheet would still come out later";
        EXPECT_EQ(waitForCupsOutput(before, c.sheetsOut, 10000, queue.name).size(), c.sheetsOut) << c.what;
        form.reset();
    }
}

TEST_F(CupsPrintStep, QueuesAddedOrRemovedWhileThePrintStepShowsComeAndGoInItsList)
{
    const QString problem = ensureCupsQueue();
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    enterPrintStepOn(kTestQueue);
    ASSERT_TRUE(listedPrinters().contains(kTestQueue));
    {
        RunQueue added("QvAdded");
        ASSERT_TRUE(added.problem.isEmpty()) << added.problem.toStdString();
        EXPECT_TRUE(waitWithEvents([&] { return listedPrinters().contains(added.name); }, 8000))
            << "a queue added while the print step shows never appears in its list";
    }
    EXPECT_TRUE(waitWithEvents([&] { return !listedPrinters().contains("QvAdded" + QString::number(QCoreApplication::applicationPid())); }, 8000))
        << "a removed queue stays in the list";
    EXPECT_EQ(find<QLabel>("printerLabel")->text(), " " + kTestQueue); // the chosen printer stays
}

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

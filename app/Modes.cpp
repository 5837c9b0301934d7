// The working steps of the main window (top menu, photo selection, design, printing), the step
// buttons and the bottom link bar, the book-type choice and the whole-book type conversion.
#include "EditorCore.h"
#include "PaintBox.h"
#include "Pause.h"
#include "PrintPanel.h"
#include "Platform.h"
#include "Unit1.h"
#include "Unit2.h"
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QWindow>
#include <QScopeGuard>
#include <QTableWidget>
#include <QToolBar>
#include <QUrl>

namespace qv {

namespace {
constexpr int kModePrint = 6;
constexpr int kModePhotos = 7;
constexpr int kModeDesign = 8;
constexpr int kModeTopMenu = 9;

// The user guide is installed beside the program, PREFIX/share/doc/qorvale/guide for
// PREFIX/bin/qorvale (the build tree's guide target writes the same layout), so the link bar
// opens local files and the program never goes on the network.
const QString kGuideFolder = QStringLiteral("/../share/doc/qorvale/guide");

void showAndEnable(QWidget* w, bool on)
{
    w->setVisible(on);
    w->setEnabled(on);
}
} // namespace

void TForm1::wireSteps()
{
    auto locked = [this](int mode) { return [this, mode] { return Form2 && Form2->menuMode == mode; }; };
    stepSentaku.setBehaviour([this] { LabelH2Click(); }, true, locked(kModePhotos));
    stepDesign.setBehaviour([this] { LabelH3Click(); }, true, locked(kModeDesign));
    stepPrint.setBehaviour([this] { LabelH4Click(); }, true, locked(kModePrint));
    linkHelp.setBehaviour([this] { openGuidePage(QStringLiteral("/pdf/book_guide.pdf")); });
    linkDownload.setBehaviour([this] { openGuidePage(QStringLiteral("/download/index.html")); });
    linkOtoiawase.setBehaviour([this] { openGuidePage(QStringLiteral("/contact/index.html")); });
    linkExit.setBehaviour([this] { quit(); });
    linkSave.setBehaviour([this] { LabelSaveClick(); }, false);
    linkImport.setBehaviour([this] { if (Form2) Form2->LabelLoadClick(); });
    const QStringList keys = {QStringLiteral("Palm"), QStringLiteral("Cedar"), QStringLiteral("Maple"),
                              QStringLiteral("Reed")};
    for (int i = 0; i < 4; ++i)
        menuButtons[i].setBehaviour([this, key = keys[i]] { chooseBookType(key); });
    connect(cmbVersion, QOverload<int>::of(&QComboBox::activated), this, [this](int) { cmbVersionCloseUp(); });
}

void TForm1::openGuidePage(const QString& path)
{
    const QString file = QDir::cleanPath(QCoreApplication::applicationDirPath() + kGuideFolder + path);
    platform().openUrl(QUrl::fromLocalFile(file).toString());
}

void TForm1::LabelSaveClick()
{
    if (SaveFile)
        SaveFile();
}

void TForm1::resetStepPictures()
{
    for (const ImageButton* b : {&stepSentaku, &stepDesign, &stepPrint})
        b->showPicture(kPictureNormal);
}

void TForm1::setWorkingBorder(bool sizeable)
{
    // The top menu keeps its size; the working steps can be resized and maximised.
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowMaximizeButtonHint, sizeable);
    if (flags != windowFlags()) {
        // QWidget::setWindowFlags would unmap the shown window and map it again. A window
        // manager still taking the first map can lose the second one and leave the window
        // unmapped for good, so a shown window gets the new hint on its native window in place.
        if (QWindow* native = windowHandle()) {
            overrideWindowFlags(flags);
            native->setFlags(flags);
        } else {
            setWindowFlags(flags);
        }
    }
    if (sizeable) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        setFixedSize(size());
    }
}

void TForm1::ChangeMenu(int mode)
{
    if (!Form2)
        return;
    resetStepPictures();
    if (Form2->menuMode == kModePrint)
        state.print.leavePrinting();
    Form2->menuMode = mode;
    Form2->setQorType();
    Form2->notSelect();
    showAndEnable(cmbVersion, true);
    switch (mode) {
    case kModePrint: {
        stepPrint.showPicture(kPictureHover);
        showAndEnable(pnlTopMenu, false);
        state.busy.hourglass(true);
        MainPanel->hide();
        setEnabled(false);
        cmbVersion->setEnabled(false);
        for (QWidget* w : {static_cast<QWidget*>(imgFrame1), static_cast<QWidget*>(PrtFrame),
                           static_cast<QWidget*>(DG), static_cast<QWidget*>(tool), static_cast<QWidget*>(main)})
            w->hide();
        const auto finally = qScopeGuard([this] {
            MainPanel->show();
            PrtFrame->show();
            prt->show();
            main->hide();
            imgFrame1->hide();
            setEnabled(true);
            state.busy.hourglass(false);
        });
        // Both ways in (the print step button, the book-type conversion) have just written
        // the page being edited to its folder, where printing reads it.
        state.print.prepareSettings();
        if (!state.print.printerChosen()) {
            state.print.setAutoPaper(false);
            state.print.PrintStart();
            state.print.setAutoPaper(true);
        }
        state.print.PrintStart();
        break;
    }
    case kModePhotos:
        showAndEnable(pnlTopMenu, false);
        showAndEnable(cmbVersion, false);
        stepSentaku.showPicture(kPictureHover);
        imgFrame1->show();
        pause(10);
        MainPanel->hide();
        break;
    case kModeDesign:
        stepDesign.showPicture(kPictureHover);
        showAndEnable(pnlTopMenu, false);
        DG->show();
        tool->show();
        if (Form2->currentTool != kToolScroll)
            editor->returnToSelectTool();
        main->show();
        pause(10);
        prt->hide();
        MainPanel->show();
        imgFrame1->hide();
        PBMain->repaint();
        break;
    default:
        break;
    }
    if (editor)
        applyChanges(editor->takeChanges());
}

void TForm1::LabelH2Click()
{
    if (Form2 && Form2->menuMode != kModePhotos)
        ChangeMenu(kModePhotos);
}

void TForm1::LabelH3Click()
{
    if (Form2 && Form2->menuMode != kModeDesign)
        ChangeMenu(kModeDesign);
}

void TForm1::LabelH4Click()
{
    if (!Form2 || Form2->menuMode == kModePrint)
        return;
    const int check = state.print.checkPrinter();
    if (check != PrintHooks::Ready) {
        showmess(check == PrintHooks::NoPrinter ? kMsgNoPrinter : kMsgPrinterError);
        state.busy.hide();
        return;
    }
    // The print step reads every page from its folder: the page being edited must be there.
    if (!Form2->writeCurrentPage())
        return;
    ChangeMenu(kModePrint);
}

void TForm1::chooseBookType(const QString& key)
{
    Form2->bookType = key;
    selectTypeInList(key);
    convertBookType();
    ChangeMenu(kModePhotos);
    setWorkingBorder(true);
}

void TForm1::cmbVersionCloseUp()
{
    if (Form2 && cmbVersion->currentText() != Form2->bookType && !convertBookType())
        selectTypeInList(Form2->bookType);
}

bool TForm1::convertBookType()
{
    TForm2& d = *Form2;
    const QString from = d.bookType, to = cmbVersion->currentText();
    // The page being edited is converted from its folder like the others; unwritten, it would be lost.
    if (!d.writeCurrentPage())
        return false;
    state.busy.hourglass(true);
    const auto cursorBack = qScopeGuard([this] { state.busy.hourglass(false); });
    for (int p = 0; p < kPageFolderCount; ++p) {
        d.currentPage = p;
        d.setQorType();
        state.cache.clear();
        state.window.highlightCurrentPage(true);
        d.PbfLoad(-1);
        d.rescaleItems(from, to);
        state.window.highlightCurrentPage(false);
        d.PbfSave(-1);
    }
    d.bookType = to;
    state.window.highlightCurrentPage(false);
    d.PbfSave(-1);
    // The navigator of the new type opens its start page: read it.
    state.window.rebuildNavigator();
    d.setQorType();
    state.cache.clear();
    d.PbfLoad(-1);
    if (d.menuMode == kModePrint)
        ChangeMenu(kModePrint);
    editor->returnToSelectTool();
    if (to == QLatin1String("Reed"))
        state.editSide = 2;
    state.window.repaintThumbnail();
    applyChanges(editor->takeChanges());
    PBMain->repaint();
    return true;
}

} // namespace qv

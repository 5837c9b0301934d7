// The main window's life: creation, first activation, resizing, closing and destruction.
//
// There is no idle handler: Qt's event loop sleeps until the next event arrives, which answers
// input as promptly as polling would without keeping a processor core busy.
#include "Unit1.h"
#include "Colors.h"
#include "EditorCore.h"
#include "Dialogs.h"
#include "PageRenderer.h"
#include "PaintBox.h"
#include "SelectionOverlay.h"
#include "Pause.h"
#include "Platform.h"
#include "PropertyPanel.h"
#include "PrintPanel.h"
#include "Unit11.h"
#include "Unit2.h"
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <cerrno>
#include <sys/stat.h>

namespace qv {

TForm1::TForm1(const QString& baseDirectory, QWidget* parent)
    : QWidget(parent), baseDir(baseDirectory)
{
    setObjectName(QStringLiteral("Form1"));
    QFont f(kMainFontName);
    f.setPixelSize(kMainFontPixels);
    setFont(f);
    buildLayout();
    wireBusyHooks();
    wireWindowHooks();
    wireSteps();
    setUpPropertyPanel();
    setUpNavigator();
    setUpPhotoStrip();

    const QSize start(kStartWidth, kStartHeight);
    if (const QScreen* desk = QGuiApplication::primaryScreen())
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, start, desk->availableGeometry()));
    else
        resize(start);
    FormCreate();
}

TForm1::~TForm1()
{
    FormDestroy();
    setHourglass(false);
}

void TForm1::createDocument()
{
    Form2 = std::make_unique<TForm2>(state, baseDir);
    renderer = std::make_unique<PageRenderer>(*Form2, state);
    renderer->showHintStrip = [this](int strip) { showHintStrip(strip); };
    renderer->drawOverlay = [this](QPainter& p) { drawSelection(p, *Form2, state, state.originX, state.originY); };
    wireEditor();
    setBackground(main, toQColor(Form2->canvasColor));
    SaveFile = [this] { return Form2->SaveFile(); };
    openProject = [this](const QString& path) { return Form2->LoadFile(path); };
    connectPrintPanel();
}

void TForm1::FormCreate()
{
    setWindowTitle(kAppTitle);
    layoutNow(this);
    backBuffer = QImage(PBMain->size(), QImage::Format_RGB32);
    state.editSide = 0;
    warnIfLowDisk();
    pause(1000);
    FormResize();
    applyColors();
    if (createWorkFolder())
        setUpThumbCache();
}

void TForm1::warnIfLowDisk()
{
    // A desktop that cannot be resolved leaves the free space unknown, which warns like a full disk.
    const QString desktop = platform().desktopPath();
    const std::optional<uint64_t> free =
        desktop.isEmpty() ? std::nullopt : platform().diskFreeBytes(desktop);
    if (free.value_or(0) <= kLowDiskBytes)
        showmess(kMsgLowDisk);
}

bool TForm1::createWorkFolder()
{
    const QString work = WorkFolder(baseDir).root();
    if (QFileInfo(work).isDir())
        return true;
    if (::mkdir(QFile::encodeName(work).constData(), 0777) == 0)
        return true;
    showmess(qt_error_string(errno));
    return false;
}

void TForm1::setUpThumbCache()
{
    thumbCachePath = WorkFolder(baseDir).thumbFolder();
    thumbCacheEnabled = QFileInfo(thumbCachePath).isDir() || QDir().mkpath(thumbCachePath);
    photoBrowser->setThumbCache(thumbCachePath, thumbCacheEnabled);
}

void TForm1::FormActivate()
{
    update();
    // Fonts installed while the program ran appear in the face lists.
    if (propertyPanel)
        propertyPanel->rebuildFontList();
    if (activatedOnce)
        return;
    activatedOnce = true;
    if (state.restorePending) {
        state.restorePending = false;
        restoreOrStartEmpty();
    }
    // A book named on the command line opens in photo selection; when it cannot be opened
    // the top menu lets the user start one instead. Work left by a crash is replaced by the
    // book only when the user agrees; otherwise it stays restored.
    const bool openBook = !startupProject.isEmpty()
        && (!Form2 || !Form2->work().holdsWork() || dialogs().confirm(kMsgLoseEdits));
    if (openBook && openProject && openProject(startupProject)) {
        ChangeMenu(7);
        setWorkingBorder(true);
    } else {
        showTopMenu();
        ChangeMenu(9);
        setWorkingBorder(false);
    }
}

void TForm1::restoreOrStartEmpty()
{
    if (restoreWork())
        return;
    showmess(kMsgRestoreError);
    if (Form2)
        Form2->deleteTmpFolder();
    pause(1000);
}

bool TForm1::restoreWork()
{
    bool ok = true;
    try {
        state.busy.setCaption(kCaptionBusy);
        GridSetOn();
        if (Form2)
            Form2->setQorType();
        state.window.rebuildNavigator();
        state.busy.setCaption(kCaptionPages);
        if (Form2)
            Form2->infosLoad();
        // The design tools' enabled state is refreshed here once the tools exist.
    } catch (...) {
        ok = false;
    }
    state.busy.hide();
    return ok;
}

void TForm1::showTopMenu()
{
    Qor_Panel->show();
    pnlTopMenu->setEnabled(true);
    pnlTopMenu->show();
    pnlTopMenu->raise();
    for (const ImageButton& b : menuButtons) {
        b.showPicture(kPictureNormal);
        for (QLabel* w : {b.image, b.label}) {
            w->setEnabled(true);
            w->show();
        }
    }
}

bool TForm1::FormCloseQuery()
{
    if (!state.modified)
        return true;
    // Yes is the default, so that a stray Enter keeps the book; Escape keeps the window open.
    const Answer answer = dialogs().ask(kMsgSaveBeforeQuit);
    if (answer != Answer::Yes)
        return answer == Answer::No;
    // A failed or cancelled save keeps the window open with the book unchanged.
    return !SaveFile || SaveFile();
}

void TForm1::FormDestroy()
{
    if (Form2)
        Form2->deleteTmpFolder();
    backBuffer = QImage();
    pause(1000);
}

void TForm1::FormResize()
{
    if (auto* folderBox = imgFrame1->findChild<QWidget*>(QStringLiteral("ComboBox3")))
        folderBox->setFixedWidth(TopMenuPanel->width() - 42);
    GridSet->move(width() / 2 - GridSet->width() / 2, height() / 2 - GridSet->height() / 2);
    setClientWidth(SB6, kNavigatorClientWidth);
    page->setFixedWidth(std::max(100, SB6->width()));
    setClientWidth(DG, kPhotoStripClientWidth);
}

void TForm1::fitBackBuffer()
{
    if (backBuffer.size() != PBMain->size())
        backBuffer = QImage(PBMain->size(), QImage::Format_RGB32);
}

void TForm1::applyColors() { applyColorScheme(this); }

void TForm1::showmess(const QString& text) { dialogs().showmess(text); }

void TForm1::quit() { close(); }

void TForm1::GridSetOn()
{
    GridSet->show();
    GridSet->raise();
    repaint();
    GridSet->repaint();
}

void TForm1::wireBusyHooks()
{
    BusyHooks& b = state.busy;
    b.setCaption = [this](const QString& text) {
        GridSet->setText(text);
        GridSet->repaint();
    };
    b.show = [this] { GridSetOn(); };
    b.hide = [this] { GridSet->hide(); };
    b.showProgress = [this](int max) {
        PBar->setRange(0, max);
        PBar->setValue(0);
        PanelPBar->show();
        PanelPBar->repaint();
    };
    b.setProgress = [this](int pos) {
        PBar->setValue(pos);
        PBar->repaint();
    };
    b.hideProgress = [this] { PanelPBar->hide(); };
    b.hourglass = [this](bool on) { setHourglass(on); };
}

void TForm1::wireWindowHooks()
{
    WindowHooks& w = state.window;
    w.setWindowCaption = [this](const QString& caption) { setWindowTitle(caption); };
    w.showQorPanel = [this](bool on) { Qor_Panel->setVisible(on); };
    w.enableQorPanel = [this](bool on) { Qor_Panel->setEnabled(on); };
    w.restoreWork = [this] { restoreOrStartEmpty(); };
    w.closeMainWindow = [this] { quit(); };
    w.selectTypeInList = [this](const QString& key) { selectTypeInList(key); };
    w.changeMenu = [this](int mode) { ChangeMenu(mode); };
}

void TForm1::selectTypeInList(const QString& key)
{
    const int row = cmbVersion->findText(key, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (row >= 0)
        cmbVersion->setCurrentIndex(row);
}

void TForm1::setHourglass(bool on)
{
    if (on == hourglassOn)
        return;
    hourglassOn = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TForm1::closeEvent(QCloseEvent* e)
{
    if (FormCloseQuery())
        e->accept();
    else
        e->ignore();
}

void TForm1::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    FormResize();
}

void TForm1::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    // Some window systems never activate a window nobody clicked (no window manager, offscreen):
    // the first activation's work then runs as soon as the window is up.
    if (!activatedOnce)
        QTimer::singleShot(0, this, [this] {
            if (!activatedOnce)
                FormActivate();
        });
}

void TForm1::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

static int clientWidthOf(QAbstractScrollArea* area)
{
    // A hidden scroll area lays out its viewport only when it gets a resize event: send one now.
    QResizeEvent re(area->size(), area->size());
    QCoreApplication::sendEvent(area, &re);
    return area->viewport()->width();
}

void setClientWidth(QAbstractScrollArea* area, int clientWidth)
{
    const int delta = clientWidth - clientWidthOf(area);
    if (delta != 0)
        area->setFixedWidth(area->width() + delta);
}

void layoutNow(QWidget* top)
{
    if (top->layout())
        top->layout()->activate();
    for (QWidget* w : top->findChildren<QWidget*>())
        if (w->layout())
            w->layout()->activate();
}

} // namespace qv

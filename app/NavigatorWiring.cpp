// The page navigator and the design photo strip in the main window, and the drop of a strip
// photo onto the editor canvas.
#include "PageNavigator.h"
#include "PageRenderer.h"
#include "PaintBox.h"
#include "PhotoStrip.h"
#include "PhotoStripView.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit4.h"
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollArea>
#include <QTableWidget>

namespace qv {
namespace {

/// Hands the events of one widget to a function; true from it consumes the event.
class EventHook : public QObject {
public:
    EventHook(QObject* owner, std::function<bool(QEvent*)> f) : QObject(owner), handle(std::move(f)) {}
    bool eventFilter(QObject*, QEvent* e) override { return handle(e); }

private:
    std::function<bool(QEvent*)> handle;
};

/// Swallows the user's input while it is in force.
class InputSwallow : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
            return true;
        default:
            return false;
        }
    }
};

/// The fixed pauses of a page switch keep the event loop from running: what the user clicked or
/// typed meanwhile waits in the queue. It was meant for a window that was busy, so it goes.
void dropInputThatWaited()
{
    InputSwallow swallow;
    qApp->installEventFilter(&swallow);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    qApp->removeEventFilter(&swallow);
}

bool busyCursorShowing()
{
    const QCursor* c = QApplication::overrideCursor();
    return c && c->shape() == Qt::WaitCursor;
}

} // namespace

PageNavigator* TForm1::pageNavigator()
{
    if (!navigatorCore && Form2) {
        navigatorCore = std::make_shared<PageNavigator>(*Form2, state);
        PageNavigator::Host& h = navigatorCore->host;
        h.applyLayout = [this](const NavigatorLayout& l) { frame4->applyLayout(l); };
        h.drawThumbnail = [this] { drawNavigatorThumbnail(); };
        h.repaintCanvas = [this] { PBMain->update(); };
        h.enableWindow = [this](bool on) {
            if (on)
                dropInputThatWaited();
            setEnabled(on);
        };
        h.showPrintFrame = [this](bool on) { PrtFrame->setVisible(on); };
        h.busyCursorShowing = busyCursorShowing;
        h.autoPaperTicked = [this] {
            const auto* autoPaper = findChild<QCheckBox*>(QStringLiteral("CB1"));
            return autoPaper && autoPaper->isChecked();
        };
    }
    return navigatorCore.get();
}

void TForm1::setUpNavigator()
{
    frame4 = new TFrame4(SB6);
    frame4->onPicturePress = [this](TNavPicture& pic, int x) { Image1MouseDown(pic, x); };
    frame4->onPictureClick = [this](TNavPicture& pic) {
        if (PageNavigator* nav = pageNavigator())
            nav->pageClick(pic.tag, pic.width());
    };
    WindowHooks& w = state.window;
    w.rebuildNavigator = [this] {
        if (PageNavigator* nav = pageNavigator())
            nav->buildNavigator();
    };
    w.selectPageRect = [this](int pageNo, bool on) { frame4->SelectPageRect(pageNo, on); };
    w.highlightCurrentPage = [this](bool on) {
        if (Form2)
            frame4->SelectPageRect(Form2->whatPageNo(Form2->currentPage), on);
    };
    w.repaintThumbnail = [this] { drawNavigatorThumbnail(); };
}

void TForm1::drawNavigatorThumbnail()
{
    if (!renderer || !navigatorCore)
        return;
    TNavPicture* pic = frame4->pictureOf(Form2->currentPage);
    if (!pic || pic->canvas.isNull())
        return;
    // A thumbnail sets the drawing origin to its own centre; drops and placements that follow
    // must still find the editor's.
    const int32_t editorX = state.originX, editorY = state.originY;
    renderer->thumbnailImage = &pic->canvas;
    renderer->thumbnailScale = navigatorCore->layout.scale;
    MPaint(kTargetThumbnail);
    renderer->thumbnailImage = nullptr;
    state.originX = editorX;
    state.originY = editorY;
    pic->update();
}

void TForm1::Image1MouseDown(TNavPicture&, int x)
{
    if (PageNavigator* nav = pageNavigator())
        nav->pressXInPicture = x;
    if (auto* paperBox = findChild<QWidget*>(QStringLiteral("papreCombo")))
        paperBox->hide();
}

void TForm1::setUpPhotoStrip()
{
    photoStrip = new TPhotoStrip(DG, state, WorkFolder(baseDir).imgFolder());
    photoStrip->onRowChanged = [this] { state.window.returnToSelectTool(); };
    photoStrip->onDropOnStrip = [this] {
        PBMainDragDrop(QPoint(0, 0));
        state.window.returnToSelectTool();
    };
    state.window.photoStripRow = [this] { return photoStrip->currentRow(); };
    state.window.refreshPhotoStrip = [this] { photoStrip->refresh(); };

    PBMain->setAcceptDrops(true);
    PBMain->installEventFilter(new EventHook(PBMain, [this](QEvent* e) {
        switch (e->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* d = static_cast<QDragMoveEvent*>(e);
            if (PBMainDragOver(d->mimeData()))
                d->acceptProposedAction();
            else
                d->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* d = static_cast<QDropEvent*>(e);
            if (!PBMainDragOver(d->mimeData()))
                return false;
            d->acceptProposedAction();
            PBMainDragDrop(d->position().toPoint());
            return true;
        }
        default:
            return false;
        }
    }));
}

bool TForm1::PBMainDragOver(const QMimeData* data) const
{
    return data && data->hasFormat(QLatin1String(kStripDragFormat)) && stripPhotoDroppable(state);
}

void TForm1::PBMainDragDrop(QPoint at)
{
    if (!Form2 || dropStripPhoto(*Form2, at.x(), at.y()) != PhotoDrop::Added)
        return;
    PBMain->update();
    drawNavigatorThumbnail();
}

} // namespace qv

// The photo browser panel in the window: built into imgFrame1, with the hooks the pool calls,
// and the page canvas taking photos dragged from the design photo strip.
#include "PaintBox.h"
#include "PoolBrowser.h"
#include "Unit1.h"
#include "Unit11.h"
#include "Unit2.h"
#include <QBoxLayout>
#include <QDropEvent>
#include <QTableWidget>

namespace qv {
namespace {

// Drags over PBMain: only a photo of the design strip DG is taken (PBMainDragOver), and its
// drop puts it on the page where it lands (PBMainDragDrop).
class PageDropFilter : public QObject {
public:
    explicit PageDropFilter(TForm1* window) : QObject(window), form(window) {}

    bool eventFilter(QObject*, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* d = static_cast<QDragMoveEvent*>(e);
            d->setAccepted(accepts(*d));
            if (d->isAccepted())
                d->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* d = static_cast<QDropEvent*>(e);
            if (!accepts(*d))
                return true;
            d->acceptProposedAction();
            const QPoint at = d->position().toPoint();
            if (dropStripPhoto(*form->Form2, at.x(), at.y()))
                form->PBMain->update();
            return true;
        }
        default:
            return false;
        }
    }

private:
    TForm1* form;
    bool accepts(const QDropEvent& d) const
    {
        return form->Form2 && d.source() == form->DG && pageAcceptsStripPhoto(form->state);
    }
};

} // namespace

void TForm1::setUpPhotoBrowser()
{
    photoBrowser = new TimgFrame(state, [this] { return Form2.get(); }, imgFrame1);
    auto* l = new QVBoxLayout(imgFrame1);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(photoBrowser);
    state.window.setPoolGridRows = [this](int rows) { photoBrowser->setPoolGridRows(rows); };
}

void TForm1::setUpPageDrop()
{
    PBMain->setAcceptDrops(true);
    PBMain->installEventFilter(new PageDropFilter(this));
}

} // namespace qv

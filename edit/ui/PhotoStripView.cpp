#include "PhotoStripView.h"
#include "MainState.h"
#include "PhotoStrip.h"
#include "PoolCell.h"
#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace qv {
namespace {

class PoolCellDelegate : public QStyledItemDelegate {
public:
    PoolCellDelegate(QTableWidget* grid, const TMainState& state, const QString& imgFolder)
        : QStyledItemDelegate(grid), DG(grid), st(state), folder(imgFolder) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int n = index.row();
        const TInfos* entry = n >= 0 && n < st.pool.size() ? &st.pool.at(n) : nullptr;
        drawPoolCell(*p, option.rect, entry, folder, n, n == DG->currentRow());
    }

private:
    QTableWidget* DG;
    const TMainState& st;
    QString folder;
};

bool carriesStripPhoto(const QMimeData* m) { return m && m->hasFormat(QLatin1String(kStripDragFormat)); }

} // namespace

TPhotoStrip::TPhotoStrip(QTableWidget* grid, const TMainState& state, QString imgFolder)
    : QObject(grid), DG(grid), st(state), folder(std::move(imgFolder))
{
    DG->setItemDelegate(new PoolCellDelegate(DG, st, folder));
    DG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DG->setSelectionMode(QAbstractItemView::SingleSelection);
    DG->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    DG->setAcceptDrops(true);
    DG->viewport()->setAcceptDrops(true);
    DG->viewport()->installEventFilter(this);
    // Any change of the current row counts: a press, the keyboard, a drag passing over.
    connect(DG, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        if (row != previous)
            DGClick();
    });
}

void TPhotoStrip::refresh()
{
    DG->setRowCount(int(st.pool.size()));
    // The delegate draws the cells; a screen reader announces each by its entry and number.
    for (int r = 0; r < DG->rowCount(); ++r) {
        if (!DG->item(r, 0))
            DG->setItem(r, 0, new QTableWidgetItem);
        DG->item(r, 0)->setData(Qt::AccessibleTextRole, st.pool[r].name + QLatin1Char(' ') + QString::number(r + 1));
    }
    DG->viewport()->update();
}

int TPhotoStrip::currentRow() const { return DG->currentRow(); }

void TPhotoStrip::DGClick()
{
    stripRepaintPending = true;
    if (onRowChanged)
        onRowChanged();
}

void TPhotoStrip::DGDragOver(int y)
{
    DG->setUpdatesEnabled(false);
    const int top = DG->verticalScrollBar()->value();
    const int row = stripDragRow(y, DG->rowAt(0) < 0 ? 0 : DG->rowAt(0), int(st.pool.size()), DG->currentRow());
    if (row != DG->currentRow() && row >= 0) {
        DG->setCurrentCell(row, 0);
        DG->verticalScrollBar()->setValue(top);
    }
    DG->setUpdatesEnabled(true);
    if (stripRepaintPending) {
        DG->viewport()->update();
        stripRepaintPending = false;
    }
}

void TPhotoStrip::DGDragDrop()
{
    if (onDropOnStrip)
        onDropOnStrip();
}

void TPhotoStrip::startDrag()
{
    auto* drag = new QDrag(DG);
    auto* data = new QMimeData;
    data->setData(QLatin1String(kStripDragFormat), QByteArray::number(DG->currentRow()));
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
}

bool TPhotoStrip::eventFilter(QObject*, QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(e);
        const int row = DG->rowAt(m->position().toPoint().y());
        if (m->button() != Qt::LeftButton || row < 0)
            return false;
        pressed = true;
        pressAt = m->position().toPoint();
        DG->setCurrentCell(row, 0);
        DG->viewport()->update();
        return true;
    }
    case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(e);
        if (pressed && (m->position().toPoint() - pressAt).manhattanLength() >= QApplication::startDragDistance()) {
            pressed = false;
            startDrag();
        }
        return pressed;
    }
    case QEvent::MouseButtonRelease:
        // The press did not turn into a drag: a click puts the photo at its default place.
        if (!pressed)
            return false;
        pressed = false;
        DGDragDrop();
        return true;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* d = static_cast<QDragMoveEvent*>(e);
        if (!carriesStripPhoto(d->mimeData()))
            return false;
        d->acceptProposedAction();
        DGDragOver(d->position().toPoint().y());
        return true;
    }
    case QEvent::Drop: {
        auto* d = static_cast<QDropEvent*>(e);
        if (!carriesStripPhoto(d->mimeData()))
            return false;
        d->acceptProposedAction();
        DGDragDrop();
        return true;
    }
    default:
        return false;
    }
}

} // namespace qv

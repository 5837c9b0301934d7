#include "PoolGrid.h"
#include "PoolBrowser.h"
#include "PhotoPool.h"
#include <QDropEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace qv {
namespace {

class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(TPoolGrid* g) : QStyledItemDelegate(g), grid(g) {}
    void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override
    {
        if (!grid->drawCell)
            return;
        p->save();
        const bool current = grid->currentIndex() == index;
        grid->drawCell(*p, index.column(), index.row(), opt.rect, current);
        p->restore();
    }

private:
    TPoolGrid* grid;
};

} // namespace

TPoolGrid::TPoolGrid(QWidget* parent) : QTableWidget(parent)
{
    setColumnCount(kPoolGridColumns);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultSectionSize(kPoolCellWidth);
    verticalHeader()->setDefaultSectionSize(kPoolCellHeight);
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::NoSelection); // the current cell is the selection
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setItemDelegate(new CellDelegate(this));
    // The current cell is drawn with a frame: repaint when it moves.
    connect(this, &QTableWidget::currentCellChanged, viewport(), qOverload<>(&QWidget::update));
}

int TPoolGrid::currentPoolIndex() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() + kPoolGridColumns * i.row() : -1;
}

void TPoolGrid::dragEnterEvent(QDragEnterEvent* e) { dropTarget.dragMove(e); }
void TPoolGrid::dragMoveEvent(QDragMoveEvent* e) { dropTarget.dragMove(e); }
void TPoolGrid::dropEvent(QDropEvent* e) { dropTarget.dropped(e); }

} // namespace qv

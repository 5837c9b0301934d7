#pragma once
// The chosen-photo grid: four columns of 89 x 98 cells, every cell drawn by the panel, and a
// drop target for the folder list and for files dragged from other programs.
#include "FrameParts.h"
#include <QTableWidget>
#include <functional>

namespace qv {

class TPoolGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TPoolGrid(QWidget* parent = nullptr);

    std::function<void(QPainter&, int col, int row, const QRect& cell, bool selected)> drawCell;
    DropTarget dropTarget;

    /// @brief The pool index of the current cell (column + 4 x row), -1 when there is none.
    int currentPoolIndex() const;

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
};

} // namespace qv

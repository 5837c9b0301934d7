#pragma once
// The design photo strip DG on screen: cells drawn from the pool, a press that drags the row's
// photo, a click that adds it to the page, and the row following a drag that passes over it.
#include <QObject>
#include <QPoint>
#include <functional>

class QTableWidget;

namespace qv {

struct TMainState;

class TPhotoStrip : public QObject {
    Q_OBJECT
public:
    /// @brief Takes over drawing and mouse handling of the grid; imgFolder holds the thumbnails.
    TPhotoStrip(QTableWidget* grid, const TMainState& state, QString imgFolder);

    std::function<void()> onRowChanged;   // DGClick
    std::function<void()> onDropOnStrip;  // DGDragDrop: add the current row's photo at its default place

    bool stripRepaintPending = false;

    /// @brief One row per pool entry, repainted.
    void refresh();
    int currentRow() const;
    /// @brief A drag passing over the strip at y of its viewport.
    void DGDragOver(int y);
    void DGClick();
    void DGDragDrop();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QTableWidget* DG;
    const TMainState& st;
    QString folder;
    QPoint pressAt;
    bool pressed = false;

    void startDrag();
};

} // namespace qv

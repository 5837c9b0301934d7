#pragma once
// Small controls of the photo browser panel: a label that reports the mouse and takes drops,
// a plain rounded shape with a fill colour, and the panel's pictures.
#include <QLabel>
#include <QPixmap>
#include <QVector>
#include <functional>

class QDropEvent;
class QDragMoveEvent;

namespace qv {

/// What a control does with drags: whether one may be dropped, and the drop itself.
struct DropTarget {
    std::function<bool(const QDropEvent&)> accepts;
    std::function<void(const QDropEvent&)> drop;
    /// @brief For drag enter and drag move events.
    void dragMove(QDragMoveEvent* e) const;
    void dropped(QDropEvent* e) const;
};

class TMouseLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    std::function<void()> onEnter, onLeave, onPress, onRelease, onClick;
    DropTarget dropTarget;

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
};

/// A rounded shape painted in its brush colour (visible or not, it holds the colour).
class TShape : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    QColor brushColor = Qt::white;
    QColor penColor = Qt::transparent;
    void setBrushColor(const QColor& c);

protected:
    void paintEvent(QPaintEvent*) override;
};

/// @brief The add button's three pictures (normal, hover, pressed), 91 x 41.
QVector<QPixmap> addButtonPictures();
/// @brief The delete button's three pictures (normal, hover, pressed), 32 x 53.
QVector<QPixmap> deleteButtonPictures();
/// @brief An arrow picture 30 x 37: the background RGB 255, 251, 240 and the arrow in `colour`.
QPixmap arrowPicture(const QColor& colour);
/// @brief The parent-folder button's picture, 26 x 22.
QPixmap parentFolderPicture();

} // namespace qv

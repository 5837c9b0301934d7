#include "FrameParts.h"
#include <QDropEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace qv {
namespace {

QPixmap blank(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

// Three looks of one button: normal, under the mouse, pressed.
const QColor kFaces[3] = {QColor(90, 90, 90), QColor(128, 128, 192), QColor(143, 143, 255)};

QVector<QPixmap> threeLooks(int w, int h, const std::function<void(QPainter&, const QColor& face)>& draw)
{
    QVector<QPixmap> out;
    for (const QColor& face : kFaces) {
        QPixmap pm = blank(w, h);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p, face);
        out << pm;
    }
    return out;
}

} // namespace

void TMouseLabel::enterEvent(QEnterEvent* e)
{
    QLabel::enterEvent(e);
    if (onEnter)
        onEnter();
}

void TMouseLabel::leaveEvent(QEvent* e)
{
    QLabel::leaveEvent(e);
    if (onLeave)
        onLeave();
}

void TMouseLabel::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && onPress)
        onPress();
}

void TMouseLabel::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    if (onRelease)
        onRelease();
    if (onClick && rect().contains(e->position().toPoint()))
        onClick();
}

void TMouseLabel::dragEnterEvent(QDragEnterEvent* e) { dropTarget.dragMove(e); }
void TMouseLabel::dragMoveEvent(QDragMoveEvent* e) { dropTarget.dragMove(e); }
void TMouseLabel::dropEvent(QDropEvent* e) { dropTarget.dropped(e); }

void DropTarget::dragMove(QDragMoveEvent* e) const
{
    if (accepts && accepts(*e))
        e->acceptProposedAction();
    else
        e->ignore();
}

void DropTarget::dropped(QDropEvent* e) const
{
    if (!accepts || !accepts(*e) || !drop)
        return e->ignore();
    e->acceptProposedAction();
    drop(*e);
}

void TShape::setBrushColor(const QColor& c)
{
    brushColor = c;
    update();
}

void TShape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(penColor == Qt::transparent ? QPen(Qt::NoPen) : QPen(penColor));
    p.setBrush(brushColor);
    const int radius = std::min(width(), height()) / 2;
    p.drawRoundedRect(rect().adjusted(0, 0, -1, -1), radius, radius);
}

QVector<QPixmap> addButtonPictures()
{
    return threeLooks(91, 41, [](QPainter& p, const QColor& face) {
        p.setPen(Qt::white);
        p.setBrush(face);
        p.drawRoundedRect(QRectF(1, 1, 89, 39), 8, 8);
        QFont f(QStringLiteral("MS UI Gothic"));
        f.setPixelSize(14);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 0, 91, 41), Qt::AlignCenter, QStringLiteral("写真追加 ▶"));
    });
}

QVector<QPixmap> deleteButtonPictures()
{
    return threeLooks(32, 53, [](QPainter& p, const QColor& face) {
        p.setPen(QPen(face, 2));
        p.setBrush(Qt::white);
        // a waste bin: lid, handle and body with three ribs
        p.drawRect(QRectF(6, 14, 20, 26));
        p.drawLine(QPointF(3, 11), QPointF(29, 11));
        p.drawRect(QRectF(12, 7, 8, 4));
        for (int x : {11, 16, 21})
            p.drawLine(QPointF(x, 18), QPointF(x, 36));
    });
}

QPixmap arrowPicture(const QColor& colour)
{
    QPixmap pm(30, 37);
    pm.fill(QColor(255, 251, 240));
    QPainter p(&pm);
    p.setPen(colour);
    p.setBrush(colour);
    const QPoint points[] = {{1, 0}, {2, 0}, {29, 17}, {29, 19}, {2, 36}, {1, 36}, {0, 35}};
    p.drawPolygon(points, 7);
    return pm;
}

QPixmap parentFolderPicture()
{
    QPixmap pm = blank(26, 22);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 2));
    // a folder with an arrow pointing up
    p.setBrush(QColor(246, 214, 120));
    p.drawRect(QRectF(3, 7, 20, 13));
    p.drawLine(QPointF(13, 17), QPointF(13, 3));
    p.drawLine(QPointF(13, 3), QPointF(9, 7));
    p.drawLine(QPointF(13, 3), QPointF(17, 7));
    return pm;
}

} // namespace qv

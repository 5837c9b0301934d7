#include "PaintBox.h"
#include <QPainter>

namespace qv {

void TPaintBox::paintEvent(QPaintEvent*)
{
    if (!onPaint)
        return;
    QPainter p(this);
    onPaint(p);
}

void TPaintBox::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    if (onResize)
        onResize();
}

namespace {
void forward(const std::function<void(QMouseEvent*)>& f, QMouseEvent* e)
{
    if (f)
        f(e);
}
} // namespace

void TPaintBox::mousePressEvent(QMouseEvent* e) { forward(onMousePress, e); }
void TPaintBox::mouseMoveEvent(QMouseEvent* e) { forward(onMouseMove, e); }
void TPaintBox::mouseReleaseEvent(QMouseEvent* e) { forward(onMouseRelease, e); }
void TPaintBox::mouseDoubleClickEvent(QMouseEvent* e) { forward(onDoubleClick, e); }

} // namespace qv

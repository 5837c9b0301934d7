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

} // namespace qv

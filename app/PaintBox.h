#pragma once
// A plain drawing surface whose owner supplies the painting and hears about size changes.
#include <QWidget>
#include <functional>

class QPainter;
class QMouseEvent;

namespace qv {

class TPaintBox : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    std::function<void(QPainter&)> onPaint;
    std::function<void()> onResize;
    std::function<void(QMouseEvent*)> onMousePress, onMouseMove, onMouseRelease, onDoubleClick;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

} // namespace qv

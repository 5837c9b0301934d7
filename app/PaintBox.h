#pragma once
// A plain drawing surface whose owner supplies the painting and hears about size changes.
#include <QWidget>
#include <functional>

class QPainter;

namespace qv {

class TPaintBox : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    std::function<void(QPainter&)> onPaint;
    std::function<void()> onResize;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
};

} // namespace qv

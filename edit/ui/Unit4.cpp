#include "Unit4.h"
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <vector>

namespace qv {
namespace {
const QColor kCream(255, 251, 240);
const QColor kMarkBlue(0, 0, 255);
const QColor kNumberGrey(128, 128, 128);
const QColor kFrameGrey(128, 128, 128);
constexpr int kUnusedTag = 99;

void setColours(QWidget* w, const QColor& text, const QColor& back)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Window, back);
    w->setPalette(pal);
}
} // namespace

void TNavPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (canvas.isNull())
        p.fillRect(rect(), Qt::white);
    else
        p.drawImage(0, 0, canvas);
}

void TNavPicture::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && onPress)
        onPress(*this, e->position().toPoint().x());
}

void TNavPicture::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick)
        onClick(*this);
}

TFrame4::TFrame4(QScrollArea* scrollBox) : QWidget(nullptr), box(scrollBox)
{
    setObjectName(QStringLiteral("Frame4"));
    setAutoFillBackground(true);
    setColours(this, kNumberGrey, kCream);
    // Creation order as the column stacks them: frames, pictures on top, then the labels.
    for (int k = 0; k < kNavEntries; ++k) {
        auto* s = new QFrame(this);
        s->setObjectName(QStringLiteral("Shape%1").arg(k));
        s->setFrameShape(QFrame::Box);
        s->setFrameShadow(QFrame::Plain);
        s->setLineWidth(1);
        setColours(s, kFrameGrey, kCream);
        shapes[size_t(k)] = s;
    }
    for (int k = 0; k < kNavEntries; ++k) {
        auto* pic = new TNavPicture(this);
        pic->setObjectName(QStringLiteral("Image%1").arg(k + 1));
        pic->onPress = [this](TNavPicture& p, int x) { if (onPicturePress) onPicturePress(p, x); };
        pic->onClick = [this](TNavPicture& p) { if (onPictureClick) onPictureClick(p); };
        pictures[size_t(k)] = pic;
    }
    for (int n = 0; n < kNavLabels; ++n) {
        auto* l = new QLabel(this);
        l->setObjectName(QStringLiteral("Label%1").arg(10 + n));
        l->setAutoFillBackground(true);
        labels[size_t(n)] = l;
    }
    hideAll();
    box->setWidget(this);
    box->setWidgetResizable(false);
    QPalette pal = box->palette();
    pal.setColor(QPalette::Window, kCream);
    box->setPalette(pal);
    box->viewport()->setAutoFillBackground(true);
    box->viewport()->setPalette(pal);
}

void TFrame4::hideAll()
{
    for (QFrame* s : shapes)
        s->hide();
    for (TNavPicture* p : pictures) {
        p->hide();
        p->canvas = QImage();
        p->tag = kUnusedTag;
    }
    for (QLabel* l : labels) {
        l->hide();
        l->setProperty("tag", kUnusedTag);
        setColours(l, kNumberGrey, kCream);
    }
}

void TFrame4::applyLayout(const NavigatorLayout& layout)
{
    box->verticalScrollBar()->setValue(0);
    hideAll();
    resize(box->viewport()->width(), std::max(layout.scrollRange, 0));
    for (int k = 0; k < layout.entryCount; ++k) {
        TNavPicture* pic = pictures[size_t(k)];
        shapes[size_t(k)]->setGeometry(layout.frames[k]);
        pic->setGeometry(layout.pictures[k]);
        pic->tag = k;
        pic->canvas = QImage(layout.pictures[k].size(), QImage::Format_RGB32);
        pic->canvas.fill(Qt::white);
        shapes[size_t(k)]->setVisible(layout.entryShown[k]);
        pic->setVisible(layout.entryShown[k]);
    }
    for (int n = 0; n < layout.labelCount; ++n) {
        QLabel* l = labels[size_t(n)];
        l->setProperty("tag", n);
        l->setText(layout.labelText(n));
        l->adjustSize();
        l->setGeometry(layout.labelRect(n, l->size()));
        l->setVisible(layout.labelShown(n));
    }
    nameByPageNumbers(layout.entryCount);
    box->verticalScrollBar()->setValue(0);
}

void TFrame4::nameByPageNumbers(int entryCount)
{
    // A screen reader announces a thumbnail by the page numbers shown under it: each label
    // belongs to the nearest picture above it in its column.
    std::vector<QStringList> numbers(static_cast<size_t>(entryCount));
    for (QLabel* l : labels) {
        const QPoint c = l->geometry().center();
        int best = -1;
        for (int k = 0; k < entryCount; ++k) {
            const QRect r = pictures[size_t(k)]->geometry();
            const bool above = r.left() <= c.x() && c.x() <= r.right() && r.bottom() <= c.y();
            if (!l->isHidden() && above && (best < 0 || r.bottom() > pictures[size_t(best)]->geometry().bottom()))
                best = k;
        }
        if (best >= 0)
            numbers[size_t(best)] << l->text().trimmed();
    }
    for (int k = 0; k < entryCount; ++k)
        pictures[size_t(k)]->setAccessibleName(numbers[size_t(k)].join(QLatin1Char(' ')));
}

void TFrame4::SelectPageRect(int tag, bool on)
{
    for (QLabel* l : labels) {
        if (l->property("tag").toInt() == tag)
            setColours(l, on ? QColor(Qt::white) : kNumberGrey, on ? kMarkBlue : kCream);
    }
    repaint();
}

TNavPicture* TFrame4::pictureOf(int tag) const
{
    for (TNavPicture* p : pictures)
        if (p->tag == tag)
            return p;
    return nullptr;
}

} // namespace qv

// The item walk: where the spread origin lies on each target, which items meet the page
// area, and the filled shapes. Images are drawn in PhotoDrawing.cpp.
#include "BookTypes.h"
#include "ItemBox.h"
#include "ItemGeometry.h"
#include "Numbers.h"
#include "SolidFill.h"
#include <QPainter>
#include <numbers>
#include <utility>

namespace qv {
namespace {

// Width in pixels of one page's binding strip on a print target wt pixels wide: wt / (W / M).
int32_t bindingStripPx(const TForm2& doc, int32_t wt)
{
    const auto sizes = bookSizes(doc.bookType);
    const double W = sizes ? sizes->pageWidth : doc.pageWidth;
    const double M = bindingMargin(doc.bookType).value_or(0);
    return nearest(wt / nonZero(W / nonZero(M)));
}

// The editor's origin is set by MPaint; every other target takes it from its image size.
// A printed spread page puts the spine where the page's binding strip ends.
void placeOrigin(PageRenderer& r, int target, const QImage& canvas, bool reed)
{
    if (target == kTargetEditor)
        return;
    const int32_t wt = canvas.width();
    r.st.originX = wt / 2;
    r.st.originY = canvas.height() / 2;
    const bool print = target == kTargetPreview || target == kTargetPrinter;
    if (!print || r.doc.currentPage == 0)
        return;
    const bool leftPage = r.st.editSide == 1;
    if (reed) {
        r.st.originX = leftPage ? wt : 0;
        return;
    }
    const int32_t strip = bindingStripPx(r.doc, wt);
    r.st.originX = leftPage ? wt - strip : strip;
}

// Hides whatever of the other page reaches into the binding strip of the printed page.
void paintBindingStrip(const PageRenderer& r, QImage& canvas)
{
    const int32_t wt = canvas.width();
    const int32_t strip = bindingStripPx(r.doc, wt);
    const QRect area(r.st.editSide == 1 ? wt - strip : 0, 0, strip, canvas.height());
    if (!fillSolid(canvas, area, Qt::white))
        QPainter(&canvas).fillRect(area, Qt::white);
}

// Bounds inclusive; the origin cancels out of both sides.
bool meetsPageArea(const ItemBox& b, int64_t hx, int64_t hy)
{
    return int64_t(b.x) - b.w / 2 <= hx && int64_t(b.x) + b.w / 2 >= -hx && int64_t(b.y) - b.h / 2 <= hy &&
           int64_t(b.y) + b.h / 2 >= -hy;
}

void drawShape(QPainter& p, const PageRenderer& r, const TItemStatus& item, const ItemBox& b)
{
    const int32_t ox = r.st.originX, oy = r.st.originY;
    switch (item.kind) {
    case kKindEllipse: {
        const EllipsePoints points = ellipsePoints(drawAngle(item.angle), b.w / 2.0, b.h / 2.0, oy + b.y, ox + b.x);
        p.drawPolygon(points.data(), int(points.size()));
        break;
    }
    case kKindRect: {
        const BoxCorners c = rectCorners(1, item.angle * std::numbers::pi / 180.0, b.y, b.x, b.w, b.h, ox, oy);
        const QPoint around[4] = {c[0], c[2], c[3], c[1]}; // top-left, bottom-left, bottom-right, top-right
        p.drawPolygon(around, 4);
        break;
    }
    case kKindBox: {
        // A box too thin to see still shows 2 pixels.
        const int32_t right = b.w < 2 ? b.right + 2 : b.right;
        const int32_t bottom = b.top == b.bottom ? b.bottom + 2 : b.bottom;
        const QPoint around[4] = {{b.left, b.top}, {b.left, bottom}, {right, bottom}, {right, b.top}};
        p.drawPolygon(around, 4);
        break;
    }
    default:
        break;
    }
}

void drawOneItem(PageRenderer& r, int target, int i, const ItemBox& b, QImage& canvas)
{
    const TItemStatus& item = std::as_const(r.doc.items)[i];
    switch (item.kind) {
    case kKindText:
        r.drawTextItem(target, i);
        break;
    case kKindImage:
        r.drawPhotoItem(target, i);
        break;
    case kKindEllipse:
    case kKindRect:
    case kKindBox: {
        QPainter p(&canvas);
        p.setPen(Qt::NoPen);
        p.setBrush(itemQColor(item.color));
        drawShape(p, r, item, b);
        break;
    }
    default: // no such kind: nothing to draw
        break;
    }
}

void walkItems(PageRenderer& r, int target, bool reed)
{
    QImage* canvas = r.targetCanvas(target);
    if (!canvas || canvas->isNull())
        return;
    placeOrigin(r, target, *canvas, reed);
    const int32_t hx = r.halfSpanX(target), hy = r.halfSpanY(target);
    const bool printedSpread = target == kTargetPrinter && r.doc.currentPage > 0;
    for (int i = 1; i < r.doc.items.size(); ++i) {
        const ItemBox b = itemPixelBox(r, target, std::as_const(r.doc.items)[i]);
        if (!meetsPageArea(b, hx, hy))
            continue;
        drawOneItem(r, target, i, b, *canvas);
        if (printedSpread)
            paintBindingStrip(r, *canvas);
    }
}

} // namespace

void PageRenderer::drawItems(int target)
{
    if (doc.bookType == QLatin1String("Reed"))
        drawPageItemsReed(target);
    else
        drawPageItems(target);
}

void PageRenderer::drawPageItems(int target) { walkItems(*this, target, false); }

// A Reed spread shows both pages whole: a printed page starts right at the spine.
void PageRenderer::drawPageItemsReed(int target) { walkItems(*this, target, true); }

} // namespace qv

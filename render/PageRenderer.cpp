// Scales, placement and the paint order of a page.
#include "PageRenderer.h"
#include "BookTypes.h"
#include "Numbers.h"
#include "SolidFill.h"
#include <QPainter>
#include <QScopeGuard>

namespace qv {

PageRenderer::PageRenderer(TForm2& document, TMainState& state) : doc(document), st(state) {}

void PageRenderer::withoutEditor()
{
    freeScalingActive = [] { return false; };
    reanchorScale = [] {};
}

int32_t PageRenderer::cPosX() const { return paintBox.width() / 2 + nearest(doc.amp() * scrollX); }
int32_t PageRenderer::cPosY() const { return paintBox.height() / 2 + nearest(doc.amp() * scrollY); }

double PageRenderer::scaleX(int target) const
{
    switch (target) {
    case kTargetEditor: return doc.amp();
    case kTargetThumbnail: return thumbnailScale;
    case kTargetPreview: return recordedPreview.width() / nonZero(recordedPageW);
    case kTargetPrinter: return printerScaleX;
    default: return doc.amp();
    }
}

double PageRenderer::scaleY(int target) const
{
    switch (target) {
    case kTargetEditor: return doc.amp();
    case kTargetThumbnail: return thumbnailScale;
    case kTargetPreview: return recordedPreview.height() / nonZero(recordedPageH);
    case kTargetPrinter: return printerScaleY;
    default: return doc.amp();
    }
}

int32_t PageRenderer::toPxX(int target, double v) const { return nearest(scaleX(target) * v); }
int32_t PageRenderer::toPxY(int target, double v) const { return nearest(scaleY(target) * v); }
int32_t PageRenderer::pageWidthPx(int target) const { return nearest(doc.pageWidth * scaleX(target)); }
int32_t PageRenderer::pageHeightPx(int target) const { return nearest(doc.pageHeight * scaleY(target)); }

int32_t PageRenderer::halfSpanX(int target) const
{
    if (target == kTargetPrinter)
        return sheetWidth;
    const int32_t w = pageWidthPx(target);
    if (doc.currentPage == 0)
        return w / 2;
    if (doc.bookType == QLatin1String("Reed"))
        return w;
    return w - toPxX(target, bindingMargin(doc.bookType).value_or(0));
}

int32_t PageRenderer::halfSpanY(int target) const
{
    return target == kTargetPrinter ? sheetHeight : pageHeightPx(target) / 2;
}

QImage* PageRenderer::targetCanvas(int target)
{
    switch (target) {
    case kTargetEditor:
        return &backBuffer;
    case kTargetThumbnail:
        doc.setQorType();
        if (thumbnailImage)
            recordedTarget = thumbnailImage->size();
        return thumbnailImage;
    case kTargetPreview:
        if (previewImage) {
            recordedTarget = previewImage->size();
            recordedPreview = recordedTarget;
            recordedPageW = doc.pageWidth;
            recordedPageH = doc.pageHeight;
        }
        return previewImage;
    case kTargetPrinter:
        return printerBitmap;
    default:
        return nullptr;
    }
}

namespace {
// The amount added to a spread X to measure it from the left edge of the current page.
int32_t pageShiftX(const TForm2& doc, int editSide)
{
    const auto sizes = bookSizes(doc.bookType);
    const int32_t W = sizes ? sizes->pageWidth : doc.pageWidth;
    if (editSide == 2)
        return 0;
    if (doc.bookType == QLatin1String("Reed"))
        return W;
    return W - bindingMargin(doc.bookType).value_or(0);
}
} // namespace

QPoint PageRenderer::CnvPointToPage(int32_t x, int32_t y) const
{
    const auto sizes = bookSizes(doc.bookType);
    if (!sizes)
        return {x, y};
    if (doc.currentPage == 0)
        return {nearest(x + sizes->coverWidth / 2.0), nearest(y + sizes->coverHeight / 2.0)};
    return {x + pageShiftX(doc, st.editSide), nearest(y + sizes->pageHeight / 2.0)};
}

QPoint PageRenderer::CnvPointToOrg(int32_t x, int32_t y) const
{
    const auto sizes = bookSizes(doc.bookType);
    if (!sizes)
        return {x, y};
    if (doc.currentPage == 0)
        return {nearest(x - sizes->coverWidth / 2.0), nearest(y - sizes->coverHeight / 2.0)};
    return {x - pageShiftX(doc, st.editSide), nearest(y - sizes->pageHeight / 2.0)};
}

void PageRenderer::fitBackBuffer()
{
    if (backBuffer.size() == paintBox)
        return;
    // A collapsed paint box has nothing to show; its buffer is dropped rather than kept stale.
    backBuffer = paintBox.isEmpty() ? QImage() : QImage(paintBox, QImage::Format_RGB32);
}

void PageRenderer::paintPageBase(int target)
{
    QImage* canvas = targetCanvas(target);
    if (!canvas || canvas->isNull())
        return;
    QRect area(0, 0, canvas->width() + 1, canvas->height() + 1);
    if (target == kTargetEditor) {
        const int32_t hx = halfSpanX(target), hy = halfSpanY(target);
        const int32_t ox = st.originX, oy = st.originY;
        area = QRect(QPoint(ox - hx, oy - hy), QPoint(ox + hx + 1, oy + hy + 1));
    }
    if (!fillSolid(*canvas, area, Qt::white))
        QPainter(canvas).fillRect(area, Qt::white);
}

void PageRenderer::MPaint(int target)
{
    const int32_t savedPage = doc.currentPage;
    // Only the editor's own paint moves the canvas origin that the editing tools work from.
    const QPoint savedOrigin(st.originX, st.originY);
    const auto restore = qScopeGuard([&] {
        doc.currentPage = savedPage;
        if (target != kTargetEditor) {
            st.originX = savedOrigin.x();
            st.originY = savedOrigin.y();
        }
    });
    if (target == kTargetEditor)
        fitBackBuffer();
    QImage* canvas = targetCanvas(target);
    if (!canvas || canvas->isNull())
        return;
    if (target == kTargetEditor) {
        st.originX = cPosX();
        st.originY = cPosY();
    } else if (target == kTargetThumbnail) {
        st.originX = canvas->width() / 2;
        st.originY = canvas->height() / 2;
    }
    paintPageBase(target);
    if (target == kTargetEditor) {
        showHintStrip(doc.currentPage == 0 ? 1 : 2);
        if (!doc.hideGuides)
            drawGuides(target);
    }
    drawItems(target);
    drawTemplate(target);
    if (target == kTargetEditor) {
        QPainter p(canvas);
        drawOverlay(p);
    }
}

} // namespace qv

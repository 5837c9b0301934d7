// Preview pictures of the print step.
#include "PreviewPicture.h"
#include "BookTypes.h"
#include "Numbers.h"
#include "PageRenderer.h"
#include "SheetPrinting.h"
#include "XRotateBitmap.h"
#include <QPainter>

namespace qv {

namespace {

bool isReed(const QString& type) { return type == QLatin1String("Reed"); }

struct Span {
    int from, to;
};

/// The marks of the types punched in pairs: spans across (with their mirrors) and one down.
struct PairMarks {
    QList<Span> across;
    Span down;
};

PairMarks pairMarks(const QString& type, bool back)
{
    if (type == QLatin1String("Cedar") || type == QLatin1String("Fern L"))
        return {{{570, 630}}, {50, 110}};
    if (type == QLatin1String("Maple"))
        return {{{162, 202}, {344, 384}, {526, 566}}, {20, 60}};
    if (type == QLatin1String("Fern S") && !back)
        return {{{410, 470}}, {20, 80}};
    return {{{310, 370}}, {50, 110}}; // Palm, Fern M, and the back of Fern S
}

void circle(QPainter& p, double x1, double y1, double x2, double y2)
{
    p.drawEllipse(QRectF(x1, y1, x2 - x1, y2 - y1));
}

QImage drawPreviewPage(PageRenderer& r, QSize size)
{
    QImage pre(size, QImage::Format_RGB32);
    if (pre.isNull())
        return pre;
    r.previewImage = &pre;
    r.paintPageBase(kTargetPreview);
    try {
        r.drawItems(kTargetPreview);
    } catch (const ERotateError&) {
        // A photo that cannot be turned leaves the rest of the picture.
    }
    r.drawTemplate(kTargetPreview);
    r.previewImage = nullptr;
    return pre;
}

/// The preview shows the sheet fed downwards: Reed by a half turn, the others by a quarter.
QImage turnPreview(const QImage& pre, const QString& type, int side, bool lastSpread)
{
    if (isReed(type))
        return pre.mirrored(true, true);
    const bool counterClockwise = side == 1 || (side == 0 && lastSpread);
    return quarterTurn(pre, !counterClockwise);
}

void paintWhite(QImage& image, const QRect& r)
{
    QPainter(&image).fillRect(r, Qt::white);
}

/// The white band over the binding margin, as the picture lies.
void paintBindingBand(QImage& image, const QString& type, int side, int pageWidth)
{
    const double m = bindingMargin(type).value_or(0) / nonZero(pageWidth);
    if (!isReed(type)) {
        paintWhite(image, QRect(0, 0, image.width(), nearest(image.height() * m)));
        return;
    }
    const int band = nearest(image.width() * m);
    if (side == 1)
        paintWhite(image, QRect(0, 0, band, image.height()));
    else if (side == 2)
        paintWhite(image, QRect(image.width() - band, 0, band, image.height()));
}

/// Pixels per page unit across and down the turned picture.
std::pair<double, double> pictureScale(const QImage& image, const QString& type, QSize page)
{
    const QSize seen = isReed(type) ? page : page.transposed();
    return {image.width() / nonZero(seen.width()), image.height() / nonZero(seen.height())};
}

} // namespace

void drawMarks(QImage& image, const QString& type, bool back, int side, double sx, double sy)
{
    QPainter p(&image);
    p.setPen(QColor(kMarkColor));
    p.setBrush(Qt::NoBrush);
    const double Wi = image.width(), Hi = image.height();
    if (isReed(type)) {
        const int first = back ? 0 : 1, offset = back ? 17 : 2;
        const Span x = back ? Span{37, 73} : Span{25, 61};
        for (int k = first; k <= 22; ++k) {
            const double y1 = back ? Hi - (k * 60 + 53) * sy : Hi - (k * 60 - offset) * sy;
            const double y2 = back ? Hi - (k * 60 + offset) * sy : Hi - (k * 60 - 38) * sy;
            if (side == 2)
                circle(p, Wi - x.to * sx, y1, Wi - x.from * sx, y2);
            else
                circle(p, x.from * sx, y1, x.to * sx, y2);
        }
        return;
    }
    const PairMarks marks = pairMarks(type, back);
    for (const Span& x : marks.across) {
        circle(p, x.from * sx, marks.down.from * sy, x.to * sx, marks.down.to * sy);
        circle(p, Wi - x.to * sx, marks.down.from * sy, Wi - x.from * sx, marks.down.to * sy);
    }
}

namespace {

/// The picture of a page at a size, turned for its side, as the preview shows it.
QImage sidePicture(PageRenderer& r, QSize shown, int side)
{
    const QString& type = r.doc.bookType;
    const QImage pre = drawPreviewPage(r, isReed(type) ? shown : shown.transposed());
    return pre.isNull() ? pre : turnPreview(pre, type, side, r.doc.isDblPMax());
}

void readPage(PageRenderer& r, int index, int side)
{
    r.doc.currentPage = index;
    r.st.editSide = side;
    r.doc.setQorType();
    r.st.cache.clear();
    r.doc.PbfLoad(-1);
}

QImage backPicture(PageRenderer& r, QSize size)
{
    TForm2& doc = r.doc;
    const int index = doc.currentPage, side = r.st.editSide;
    const int otherIndex = side == 1 ? index - 1 : index + 1, otherSide = side == 1 ? 2 : 1;
    // The first and the last spread hold one page only: no other page shares their sheet there.
    if (otherIndex < 1 || otherIndex >= kPageFolderCount)
        return {};
    const KeepModifiedFlag keep(r.st);
    // Reading the other page replaces this one in memory: only once it is safely written.
    if (!doc.PbfSave(-1))
        return {};
    readPage(r, otherIndex, otherSide);
    const QImage turned = sidePicture(r, size, otherSide);
    QImage back = turned.isNull() ? turned : turned.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!back.isNull()) {
        paintBindingBand(back, doc.bookType, otherSide, doc.pageWidth);
        const auto [sx, sy] = pictureScale(back, doc.bookType, {doc.pageWidth, doc.pageHeight});
        drawMarks(back, doc.bookType, true, otherSide, sx, sy);
        QPainter p(&back);
        p.setPen(QColor(192, 192, 192));
        p.drawRect(back.rect().adjusted(0, 0, -1, -1));
    }
    readPage(r, index, side);
    return back;
}

} // namespace

PreviewPictures buildPreview(PageRenderer& r, const SheetLayout& l)
{
    PreviewPictures out;
    TForm2& doc = r.doc;
    doc.setQorType();
    const QSize area = l.paperArea.size();
    const QImage turned = sidePicture(r, area, r.st.editSide);
    out.printImage = QImage(area, QImage::Format_RGB32);
    out.printImage.fill(Qt::white);
    {
        QPainter p(&out.printImage);
        p.drawImage(0, 0, turned);
    }
    if (doc.currentPage == 0)
        return out;
    QImage& img = out.printImage;
    const int Wi = img.width(), Hi = img.height();
    paintBindingBand(img, doc.bookType, r.st.editSide, doc.pageWidth);
    paintWhite(img, QRect(0, Hi - l.mT, Wi, l.mT));
    paintWhite(img, QRect(Wi - l.mL, 0, l.mL, Hi));
    if (std::abs(l.waku.height() - area.height()) <= 2)
        paintWhite(img, QRect(0, 0, Wi, l.mB + 1));
    if (std::abs(l.waku.width() - area.width()) <= 2)
        paintWhite(img, QRect(0, 0, l.mR + 1, l.waku.height()));
    const auto [sx, sy] = pictureScale(img, doc.bookType, {doc.pageWidth, doc.pageHeight});
    drawMarks(img, doc.bookType, false, r.st.editSide, sx, sy);

    const QSize backSize(nearest(Wi / 1.7), nearest(Hi / 1.7));
    out.backImage = backPicture(r, backSize);
    if (!out.backImage.isNull())
        out.backRect = QRect(QPoint(kPrinterRight.left() + 12, kPrinterRight.top() - 20 - backSize.height()), backSize);
    return out;
}

} // namespace qv

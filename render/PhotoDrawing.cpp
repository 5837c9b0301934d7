// Image items: photos and pictures scaled into their box and turned by their angle. Screen
// targets draw the thumbnail slots; the printer draws pictures from the full slots and reads
// photos again from the pool at full quality.
#include "Dialogs.h"
#include "ImageOps.h"
#include "ItemBox.h"
#include "ItemGeometry.h"
#include "Numbers.h"
#include "PhotoPool.h"
#include "XRotateBitmap.h"
#include <QHash>
#include <QPainter>

namespace qv {

// Screen-ready forms of the slot thumbnails (32-bit photos, keyed pictures), so that a paint
// only scales and draws. Entries follow the bitmap's cacheKey, which changes with its pixels.
struct ScreenImageCache {
    static constexpr int kMaxEntries = 64;
    static constexpr QRgb kPhoto = 0xFFFFFFFF; // no key colour has the top byte set
    QHash<QPair<qint64, QRgb>, QImage> images;

    template <class Make>
    const QImage& get(const QImage& source, QRgb key, Make make)
    {
        const auto k = qMakePair(source.cacheKey(), key);
        auto it = images.find(k);
        if (it == images.end()) {
            if (images.size() >= kMaxEntries)
                images.clear();
            it = images.insert(k, make());
        }
        return *it;
    }
};

namespace {

QString rotateLimitText()
{
    return QStringLiteral("拡大の上限(幅または高さが") + QString::number(nearest(maxRotateSize / 10.0)) +
           QStringLiteral("mm)を超えました。最大サイズに自動的に変更します。");
}

void showImageError(int code) { dialogs().showmess(QStringLiteral("画像エラー(エラーコード：%1)").arg(code)); }

// The longer side becomes maxRotateSize, the other keeps the proportion.
void shrinkToRotateLimit(TItemStatus& item)
{
    if (item.height < item.width) {
        item.height = nearest(double(item.height) / item.width * maxRotateSize);
        item.width = maxRotateSize;
    } else {
        item.width = nearest(item.width / nonZero(item.height) * maxRotateSize);
        item.height = maxRotateSize;
    }
}

// Scales the image into the box, turned about the box's centre (counter-clockwise as seen for
// a positive angle); the area around it is left as it was.
void drawTurned(QPainter& p, const QImage& image, const QRect& box, int32_t angle)
{
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (angle == 0) {
        p.drawImage(box, image);
        return;
    }
    const QSizeF size(box.size());
    p.translate(QRectF(box).center());
    p.rotate(drawAngle(angle));
    p.drawImage(QRectF(QPointF(-size.width() / 2, -size.height() / 2), size), image);
}

void drawScreenImage(PageRenderer& r, QImage& canvas, const TItemStatus& item, const QRect& box)
{
    const TBigBitmap& thumb = r.st.cache.imageDrawing(item.imageSlot, true);
    if (thumb.isNull())
        return;
    if (!r.screenImages)
        r.screenImages = std::make_shared<ScreenImageCache>();
    const QRgb key = rgbOfItemColor(item.keyColor);
    const QImage& image = item.fromPicture
        ? r.screenImages->get(thumb.image(), key, [&] { return keyedPicture(thumb, key); })
        : r.screenImages->get(thumb.image(), ScreenImageCache::kPhoto,
                              [&] { return screenImage(thumb); });
    QPainter p(&canvas);
    drawTurned(p, image, box, item.angle);
}

void drawPrinterPicture(PageRenderer& r, QImage& canvas, const TItemStatus& item, const QRect& box)
{
    const TBigBitmap& full = r.st.cache.imageDrawing(item.imageSlot, false);
    if (full.isNull()) {
        showImageError(31);
        return;
    }
    const QImage keyed = keyedPicture(full, rgbOfItemColor(item.keyColor));
    if (keyed.isNull()) {
        showImageError(32);
        return;
    }
    QPainter p(&canvas);
    drawTurned(p, keyed, box, item.angle);
}

TBigBitmap readPoolPhoto(PageRenderer& r, int poolIndex)
{
    if (r.loadPoolPhoto)
        return r.loadPoolPhoto(poolIndex);
    return loadPoolPhoto(r.doc.work().imgFolder(), r.st.pool, poolIndex).bitmap;
}

// A turned photo is turned as a bitmap of the box's size; its white guard keeps the photo's
// own white apart from the white fill around it, which is left out.
void drawPrinterPhoto(PageRenderer& r, QImage& canvas, const TItemStatus& item, const QRect& box)
{
    const TBigBitmap photo = readPoolPhoto(r, int(item.poolIndex));
    if (photo.isNull()) {
        showImageError(33);
        showImageError(30);
        return;
    }
    QPainter p(&canvas);
    if (item.angle == 0) {
        drawTurned(p, photo.image(), box, 0);
        return;
    }
    TBigBitmap stretched = TBigBitmap::fromImage(
        photo.image().scaled(box.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 24);
    if (stretched.isNull()) {
        showImageError(32);
        return;
    }
    ChangeWhiteToWhiteOne(stretched); // after scaling, so that no blend of near-whites is pure white
    const TBigBitmap turned = RotateBitmap(stretched, item.angle % 360 * 10, false, true);
    const QPoint at(nearest(box.left() - (turned.width() - box.width()) / 2.0),
                    nearest(box.top() - (turned.height() - box.height()) / 2.0));
    drawKeyed(p, turned.image(), at, 0xFFFFFF);
}

} // namespace

void PageRenderer::drawPhotoItem(int target, int i)
{
    if (i < 1 || i >= doc.items.size())
        return;
    TItemStatus& item = doc.items[i];
    if (item.angle != 0 && (item.width > maxRotateSize || item.height > maxRotateSize)) {
        // Shrink before the message: a repaint while the box is open must not ask again.
        shrinkToRotateLimit(item);
        dialogs().showmess(rotateLimitText());
        if (i >= doc.items.size())
            return;
    }
    doc.items[i].color = kColorWhite;
    const TItemStatus shown = doc.items[i];
    QImage* canvas = targetCanvas(target);
    if (!canvas || canvas->isNull())
        return;
    const ItemBox b = itemPixelBox(*this, target, shown); // with the size just limited
    const QRect box(b.left, b.top, b.right - b.left, b.bottom - b.top);
    if (box.isEmpty())
        return;
    if (target != kTargetPrinter)
        drawScreenImage(*this, *canvas, shown, box);
    else if (shown.fromPicture)
        drawPrinterPicture(*this, *canvas, shown, box);
    else
        drawPrinterPhoto(*this, *canvas, shown, box);
}

} // namespace qv

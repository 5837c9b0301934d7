#include "Thumbnailer.h"
#include "JpegCodec.h"
#include "PictureFile.h"
#include <algorithm>

namespace qv {
namespace {

ThumbResult broken() { return {ThumbOutcome::Broken, {}, {}}; }

ThumbResult fitted(TBigBitmap& bitmap, int box)
{
    QImage image = bitmap.image().convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return broken();
    if (image.width() > box || image.height() > box)
        image = image.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return {ThumbOutcome::Ready, image, {}};
}

PictureRequest thumbRequest(int box)
{
    PictureRequest rq;
    rq.scaleFor = [box](int w, int h) { return thumbScaleFor(w, h, box); };
    rq.upright = true; // the orientation block sits at the front; a thumbnail turns its own pixels
    rq.maxPixels = kMaxThumbSourcePixels;
    rq.workBytesPerPixel = 8; // fitting converts to 32 bits and scales from that copy
    return rq;
}

PictureFormat formatOf(bool jpeg) { return jpeg ? PictureFormat::Jpeg : PictureFormat::Bmp; }

ThumbResult fromLoad(ImageLoadResult&& r, int box)
{
    if (r.missing)
        return {ThumbOutcome::Vanished, {}, {}};
    return r.ok() ? fitted(r.bitmap, box) : broken();
}

} // namespace

int thumbScaleFor(int width, int height, int box)
{
    const int longSide = std::max(width, height);
    for (int scale : {8, 4, 2})
        if (longSide / scale >= box)
            return scale;
    return 1;
}

ThumbResult thumbnailOfBytes(const QByteArray& bytes, bool jpeg, int box)
{
    return fromLoad(decodePicture(bytes, formatOf(jpeg), thumbRequest(box)), box);
}

ThumbResult makeThumbnail(const QString& path, bool jpeg, int box)
{
    SharedPictureBudget::Share share; // held until the thumbnail is made
    return fromLoad(loadPicture(path, formatOf(jpeg), thumbRequest(box), &thumbnailBudget(), &share), box);
}

ThumbResult cachedThumbnail(const QByteArray& cached, const QString& path, bool jpeg, int box, bool store)
{
    if (!cached.isEmpty()) {
        const ImageLoadResult r = decodeJpeg(cached, 1, 32);
        const QImage img = r.ok() ? r.bitmap.image().convertToFormat(QImage::Format_RGB32) : QImage();
        if (!img.isNull() && img.width() <= box && img.height() <= box)
            return {ThumbOutcome::Ready, img, {}};
    }
    ThumbResult r = makeThumbnail(path, jpeg, box);
    if (store && r.outcome == ThumbOutcome::Ready)
        r.jpeg = encodeJpeg(TBigBitmap::fromImage(r.image), kThumbJpegQuality);
    return r;
}

} // namespace qv

#include "Thumbnailer.h"
#include "BmpCodec.h"
#include "ExifOrientation.h"
#include "JpegCodec.h"
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <limits>

namespace qv {
namespace {

ThumbResult broken() { return {ThumbOutcome::Broken, {}}; }

// A failure on a file that no longer exists is a vanished file, not a broken one.
ThumbResult failure(const QString& path)
{
    return QFileInfo::exists(path) ? broken() : ThumbResult{ThumbOutcome::Vanished, {}};
}

ThumbResult fitted(TBigBitmap& bitmap, int box)
{
    QImage image = bitmap.image().convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return broken();
    if (image.width() > box || image.height() > box)
        image = image.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return {ThumbOutcome::Ready, image};
}

ThumbResult jpegThumbnail(const QByteArray& bytes, int box)
{
    const JpegHeader h = readJpegHeader(bytes);
    if (!h.error.isEmpty() || h.width <= 0 || h.height <= 0)
        return broken();
    const int scale = thumbScaleFor(h.width, h.height, box);
    const qint64 w = (h.width + scale - 1) / scale, hh = (h.height + scale - 1) / scale;
    if (w * hh > kMaxThumbSourcePixels)
        return broken();
    ImageLoadResult r = decodeJpeg(bytes, scale, 24);
    // The orientation block sits at the front of the file; a thumbnail turns only its own pixels.
    if (!r.ok() || !applyExifOrientation(r.bitmap, readExifOrientation(bytes)))
        return broken();
    return fitted(r.bitmap, box);
}

ThumbResult bmpThumbnail(const QByteArray& bytes, int box)
{
    int w = 0, h = 0;
    if (!readBmpHeaderSize(bytes.left(26), &w, &h) || qint64(w) * h > kMaxThumbSourcePixels)
        return broken();
    ImageLoadResult r = decodeBmp(bytes);
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

bool readBmpHeaderSize(const QByteArray& head, int* width, int* height)
{
    if (head.size() < 26 || !head.startsWith("BM"))
        return false;
    const auto* p = reinterpret_cast<const uchar*>(head.constData());
    const quint32 infoSize = qFromLittleEndian<quint32>(p + 14);
    if (infoSize == 12) { // OS/2 core header: 16-bit sizes
        *width = qFromLittleEndian<quint16>(p + 18);
        *height = qFromLittleEndian<quint16>(p + 20);
    } else {
        *width = qFromLittleEndian<qint32>(p + 18);
        const qint64 h = qFromLittleEndian<qint32>(p + 22); // negative: stored top-down
        *height = int(std::min<qint64>(h < 0 ? -h : h, std::numeric_limits<int>::max()));
    }
    return *width > 0 && *height > 0;
}

ThumbResult thumbnailOfBytes(const QByteArray& bytes, bool jpeg, int box)
{
    return jpeg ? jpegThumbnail(bytes, box) : bmpThumbnail(bytes, box);
}

ThumbResult makeThumbnail(const QString& path, bool jpeg, int box)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return failure(path);
    const qint64 size = f.size();
    if (size > std::numeric_limits<qint32>::max())
        return broken();
    // Mapped where possible: the decoders read the bytes in place, and a BMP header that
    // claims too many pixels is refused before the rest is touched.
    if (uchar* mapped = size > 0 ? f.map(0, size) : nullptr)
        return thumbnailOfBytes(QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), size), jpeg, box);
    const QByteArray bytes = f.readAll();
    return bytes.size() == size ? thumbnailOfBytes(bytes, jpeg, box) : failure(path);
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

#include "PoolFiles.h"
#include "JpegCodec.h"

namespace qv {

QString poolCopyPath(const QString& imgFolder, int index, bool isPicture)
{
    return imgFolder + QString::number(index) + (isPicture ? QStringLiteral(".bmp") : QStringLiteral("_.jpg"));
}

QString poolThumbPath(const QString& imgFolder, int index, bool isPicture)
{
    return imgFolder + QStringLiteral("t") + QString::number(index)
        + (isPicture ? QStringLiteral(".bmp") : QStringLiteral("_.bmp"));
}

int jpegScaleFor(int width, int height)
{
    const int s = (width + height) / 2;
    if (s > 1280)
        return 8;
    if (s > 640)
        return 4;
    if (s > 320)
        return 2;
    return 1;
}

int jpegFullScaleFor(int width, int height) { return width + height > 4096 ? 2 : 1; }

namespace {
ImageLoadResult loadWithScale(const QString& path, int (*choose)(int, int), int bitsPerPixel)
{
    const JpegHeader h = readJpegHeaderFile(path);
    if (!h.error.isEmpty())
        return {TBigBitmap(), h.error};
    return decodeJpegFile(path, choose(h.width, h.height), bitsPerPixel);
}
} // namespace

ImageLoadResult loadJpegScaled(const QString& path, int bitsPerPixel)
{
    return loadWithScale(path, jpegScaleFor, bitsPerPixel);
}

ImageLoadResult loadJpegFull(const QString& path, int bitsPerPixel)
{
    return loadWithScale(path, jpegFullScaleFor, bitsPerPixel);
}

} // namespace qv

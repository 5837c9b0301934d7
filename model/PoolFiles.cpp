#include "PoolFiles.h"
#include "PictureFile.h"

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

ImageLoadResult loadJpegScaled(const QString& path, int bitsPerPixel)
{
    return loadPicture(path, PictureFormat::Jpeg, jpegScreenRequest(bitsPerPixel));
}

ImageLoadResult loadJpegFull(const QString& path, int bitsPerPixel)
{
    return loadPicture(path, PictureFormat::Jpeg, jpegFullRequest(bitsPerPixel));
}

PictureRequest jpegScreenRequest(int bitsPerPixel)
{
    PictureRequest rq;
    rq.scaleFor = jpegScaleFor;
    rq.bitsPerPixel = bitsPerPixel;
    return rq;
}

PictureRequest jpegFullRequest(int bitsPerPixel)
{
    PictureRequest rq;
    rq.scaleFor = jpegFullScaleFor;
    rq.bitsPerPixel = bitsPerPixel;
    return rq;
}

} // namespace qv

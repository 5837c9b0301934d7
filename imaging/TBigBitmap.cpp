#include "TBigBitmap.h"

namespace qv {
namespace {
QImage::Format formatFor(int bits) { return bits == 32 ? QImage::Format_RGB32 : QImage::Format_BGR888; }
}

TBigBitmap::TBigBitmap(int width, int height, int bitsPerPixel)
{
    if (!pictureFits(width, height))
        return;
    img = QImage(width, height, formatFor(bitsPerPixel));
    if (!img.isNull())
        img.fill(Qt::white);
}

TBigBitmap TBigBitmap::fromImage(const QImage& image, int bitsPerPixel)
{
    TBigBitmap b;
    if (image.isNull() || !pictureFits(image.width(), image.height()))
        return b;
    const QImage::Format f = formatFor(bitsPerPixel);
    b.img = image.format() == f ? image : image.convertToFormat(f);
    return b;
}

int TBigBitmap::bitsPerPixel() const
{
    if (img.isNull())
        return 0;
    return img.format() == QImage::Format_BGR888 ? 24 : 32;
}

uint32_t TBigBitmap::pixel(int x, int y) const { return img.pixel(x, y) & 0x00FFFFFFu; }

void TBigBitmap::setPixel(int x, int y, uint32_t rgb) { img.setPixel(x, y, 0xFF000000u | rgb); }

bool TBigBitmap::convertTo(int bits)
{
    if (img.isNull() || bitsPerPixel() == bits)
        return !img.isNull();
    QImage c = img.convertToFormat(formatFor(bits));
    if (c.isNull())
        return false;
    img = std::move(c);
    return true;
}

void TBigBitmap::crop(int w, int h)
{
    if (img.isNull() || (w == img.width() && h == img.height()))
        return;
    img = img.copy(0, 0, w, h);
}

} // namespace qv

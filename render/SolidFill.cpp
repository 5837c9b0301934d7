#include "SolidFill.h"
#include <QPainter>
#include <algorithm>
#include <cstring>

namespace qv {

bool canFillSolid(const QImage& image, const QColor& c)
{
    if (c.alpha() != 255 || image.isNull())
        return false;
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return true;
    default:
        return false;
    }
}

bool fillSolid(QImage& image, const QRect& rect, const QColor& c)
{
    if (!canFillSolid(image, c))
        return false;
    const QRect area = rect.intersected(image.rect());
    if (area.isEmpty())
        return true;
    const QRgb pixel = 0xFF000000u | c.rgb();
    uchar* bits = image.bits(); // once: scanLine() checks for sharing on every call
    const qsizetype stride = image.bytesPerLine();
    auto* first = reinterpret_cast<QRgb*>(bits + area.top() * stride) + area.left();
    std::fill_n(first, area.width(), pixel);
    // The other rows copy the first: memcpy moves wide spans in vector stores.
    const size_t bytes = size_t(area.width()) * sizeof(QRgb);
    for (int y = area.top() + 1; y <= area.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(bits + y * stride) + area.left();
        if (area.width() == 1)
            *row = pixel;
        else
            std::memcpy(row, first, bytes);
    }
    return true;
}

void fillRectFast(QImage& image, QPainter& p, const QRect& rect, const QColor& c)
{
    if (!fillSolid(image, rect, c))
        p.fillRect(rect, c);
}

} // namespace qv

#include "ImageOps.h"
#include <QPainter>
#include <algorithm>

namespace qv {
namespace {

constexpr int kKeyBandRows = 256;

// Calls f(pixel) with a writable 0x00RRGGBB view of every pixel of a 24- or 32-bit bitmap.
template <class F>
void forEachRgb(TBigBitmap& bitmap, F f)
{
    const int bpp = bitmap.bitsPerPixel();
    for (int y = 0; y < bitmap.height(); ++y) {
        uchar* p = bitmap.scanLine(y);
        for (int x = 0; x < bitmap.width(); ++x) {
            if (bpp == 24) { // B, G, R
                QRgb v = QRgb(p[2]) << 16 | QRgb(p[1]) << 8 | p[0];
                if (f(v)) {
                    p[0] = uchar(v);
                    p[1] = uchar(v >> 8);
                    p[2] = uchar(v >> 16);
                }
                p += 3;
            } else {
                auto* px = reinterpret_cast<QRgb*>(p);
                QRgb v = *px & 0xFFFFFF;
                if (f(v))
                    *px = (*px & 0xFF000000) | v;
                p += 4;
            }
        }
    }
}

} // namespace

void ChangeWhiteToWhiteOne(TBigBitmap& bitmap)
{
    forEachRgb(bitmap, [](QRgb& v) {
        if (v != 0xFFFFFF)
            return false;
        v = kWhiteOne;
        return true;
    });
}

void ChangeToumeiColor2ToToumeicolor(TBigBitmap& bitmap)
{
    forEachRgb(bitmap, [](QRgb& v) {
        if (v != 0x969696 && v != 0xFCF5F0) // (150, 150, 150) and (252, 245, 240)
            return false;
        v = kKeyGreen;
        return true;
    });
}

QImage keyedRows(const QImage& source, QRgb key, int top, int count)
{
    QImage band = source.copy(0, top, source.width(), count).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (band.isNull())
        return band;
    key &= 0xFFFFFF;
    for (int y = 0; y < band.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(band.scanLine(y));
        for (int x = 0; x < band.width(); ++x)
            row[x] = (row[x] & 0xFFFFFF) == key ? 0 : row[x] | 0xFF000000;
    }
    return band;
}

QImage keyedPicture(const TBigBitmap& picture, QRgb key)
{
    TBigBitmap work = TBigBitmap::fromImage(picture.image(), 24);
    if (work.isNull())
        return {};
    ChangeToumeiColor2ToToumeicolor(work);
    return keyedRows(work.image(), key, 0, work.height());
}

void drawKeyed(QPainter& painter, const QImage& source, QPoint at, QRgb key)
{
    for (int top = 0; top < source.height(); top += kKeyBandRows) {
        const int count = std::min(kKeyBandRows, source.height() - top);
        painter.drawImage(at + QPoint(0, top), keyedRows(source, key, top, count));
    }
}

QImage screenImage(const TBigBitmap& bitmap)
{
    const QImage& src = bitmap.image();
    if (src.format() != QImage::Format_BGR888)
        return src.convertToFormat(QImage::Format_RGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    for (int y = 0; y < src.height(); ++y) {
        const uchar* s = src.constScanLine(y); // B, G, R
        auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x, s += 3)
            d[x] = 0xFF000000u | uint32_t(s[2]) << 16 | uint32_t(s[1]) << 8 | s[0];
    }
    return out;
}

} // namespace qv

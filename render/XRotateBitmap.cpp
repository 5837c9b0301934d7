#include "XRotateBitmap.h"
#include "Numbers.h"
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

namespace qv {
namespace {

constexpr int kFracBits = 10;
constexpr int64_t kOne = 1 << kFracBits;
constexpr int64_t kHalf = kOne / 2;

bool supportedDepth(int bpp)
{
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 15 || bpp == 16 || bpp == 24 || bpp == 32;
}

int64_t nearest64(double v) { return static_cast<int64_t>(std::nearbyint(v)); }

// Rows of raw pixels, read or written by the turning loop.
struct Plane {
    uint8_t* data;
    qsizetype stride;
    int width;
    int height;
};

// The fixed-point mapping from result pixels back to source pixels.
struct Mapping {
    int64_t C = 0, S = 0;     // cos and sin times 1024
    int width = 0, height = 0; // result size
    int64_t x0 = 0, y0 = 0;   // source point of result pixel (0, 0), times 1024
    int64_t dx = 0, dy = 0;   // step along a result row
};

Mapping makeMapping(int ws, int hs, int angle, bool mirror, bool grow)
{
    const int64_t a = angle >= 0 ? angle % 3600 : 3600 - (-int64_t(angle)) % 3600;
    const double phi = double(a) / 10.0 * std::numbers::pi / 180.0;
    Mapping m;
    m.C = nearest(std::cos(phi) * kOne);
    m.S = nearest(std::sin(phi) * kOne);
    int64_t wd = ws, hd = hs;
    if (grow) {
        wd = (std::abs(ws * m.C) + std::abs(hs * m.S) + kHalf) / kOne;
        hd = (std::abs(ws * m.S) + std::abs(hs * m.C) + kHalf) / kOne;
    }
    if (!pictureFits(std::max<int64_t>(wd, 1), std::max<int64_t>(hd, 1)) || wd > std::numeric_limits<int>::max()
        || hd > std::numeric_limits<int>::max())
        throw ERotateError(kRotateSizeError);
    m.width = int(wd);
    m.height = int(hd);
    m.x0 = nearest64(m.C * (-(wd - 1) / 2.0) - m.S * ((1 - hd) / 2.0) + (ws - 1) * 512.0);
    m.y0 = nearest64(m.S * (-(wd - 1) / 2.0) + m.C * ((1 - hd) / 2.0) + (hs - 1) * 512.0);
    m.dx = m.C;
    m.dy = m.S;
    if (mirror) {
        m.x0 += (wd - 1) * m.C;
        m.y0 += (wd - 1) * m.S;
        m.dx = -m.C;
        m.dy = -m.S;
    }
    return m;
}

// Whole pixels of N bytes (8, 15, 16, 24 and 32 bits); little-endian values.
template <int N>
struct BytePixels {
    static uint32_t get(const uint8_t* row, int x)
    {
        uint32_t v = 0;
        std::memcpy(&v, row + qsizetype(x) * N, N);
        return v;
    }
    static void put(uint8_t* row, int x, uint32_t v) { std::memcpy(row + qsizetype(x) * N, &v, N); }
};

// Pixels of B bits (1 or 4) packed from the high bits of each byte.
template <int B>
struct PackedPixels {
    static constexpr int kPerByte = 8 / B;
    static constexpr uint32_t kMask = (1u << B) - 1;
    static int shift(int x) { return 8 - B - (x % kPerByte) * B; }
    static uint32_t get(const uint8_t* row, int x) { return (row[x / kPerByte] >> shift(x)) & kMask; }
    static void put(uint8_t* row, int x, uint32_t v)
    {
        uint8_t& byte = row[x / kPerByte];
        byte = uint8_t((byte & ~(kMask << shift(x))) | ((v & kMask) << shift(x)));
    }
};

// One result row after another; each source coordinate goes up by one step per pixel.
// With u = v + 512, rounding v / 1024 to nearest (halves away from zero) lands inside
// 0..n-1 exactly when 1 <= u <= n * 1024 - 1, and the pixel index is then u >> 10.
template <class Px>
void turnRows(const Plane& src, const Plane& dst, const Mapping& m, uint32_t fill)
{
    const uint64_t limX = uint64_t(src.width) * kOne - 1;
    const uint64_t limY = uint64_t(src.height) * kOne - 1;
    for (int r = 0; r < dst.height; ++r) {
        int64_t ux = m.x0 - r * m.S + kHalf;
        int64_t uy = m.y0 + r * m.C + kHalf;
        uint8_t* out = dst.data + r * dst.stride;
        for (int c = 0; c < dst.width; ++c, ux += m.dx, uy += m.dy) {
            if (uint64_t(ux - 1) < limX && uint64_t(uy - 1) < limY)
                Px::put(out, c, Px::get(src.data + (uy >> kFracBits) * src.stride, int(ux >> kFracBits)));
            else
                Px::put(out, c, fill);
        }
    }
}

void turnPlane(int bpp, const Plane& src, const Plane& dst, const Mapping& m, uint32_t fill)
{
    switch (bpp) {
    case 1: return turnRows<PackedPixels<1>>(src, dst, m, fill);
    case 4: return turnRows<PackedPixels<4>>(src, dst, m, fill);
    case 8: return turnRows<BytePixels<1>>(src, dst, m, fill);
    case 15:
    case 16: return turnRows<BytePixels<2>>(src, dst, m, fill);
    case 24: return turnRows<BytePixels<3>>(src, dst, m, fill);
    default: return turnRows<BytePixels<4>>(src, dst, m, fill);
    }
}

// The palette entry with the highest B*65536 + G*256 + R; the last one on ties.
uint32_t whitestIndex(const QVector<QRgb>& palette)
{
    uint32_t best = 0, bestValue = 0;
    for (int i = 0; i < palette.size(); ++i) {
        const QRgb c = palette[i];
        const uint32_t value = uint32_t(qBlue(c)) << 16 | uint32_t(qGreen(c)) << 8 | uint32_t(qRed(c));
        if (i == 0 || value >= bestValue) {
            best = uint32_t(i);
            bestValue = value;
        }
    }
    return best;
}

uint32_t fillValue(int bpp, const QVector<QRgb>& palette)
{
    switch (bpp) {
    case 24: return 0xFFFFFF;
    case 32: return 0x00FFFFFF; // white, fourth byte 0
    case 15:
    case 16: return 0xFFFF;
    default: return whitestIndex(palette);
    }
}

int depthOf(QImage::Format f)
{
    switch (f) {
    case QImage::Format_Mono: return 1;
    case QImage::Format_Indexed8: return 8;
    case QImage::Format_RGB555: return 15;
    case QImage::Format_RGB16: return 16;
    case QImage::Format_BGR888:
    case QImage::Format_RGB888: return 24;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32: return 32;
    default: return 0;
    }
}

} // namespace

PackedBitmap::PackedBitmap(int w, int h, int bpp) : width(w), height(h), bitsPerPixel(bpp)
{
    if (w > 0 && h > 0 && supportedDepth(bpp))
        bits.assign(size_t(stride()) * size_t(h), 0);
}

qsizetype PackedBitmap::strideFor(int width, int bitsPerPixel)
{
    const int stored = bitsPerPixel == 15 ? 16 : bitsPerPixel;
    return (qsizetype(width) * stored + 31) / 32 * 4;
}

uint32_t PackedBitmap::pixel(int x, int y) const
{
    switch (bitsPerPixel) {
    case 1: return PackedPixels<1>::get(row(y), x);
    case 4: return PackedPixels<4>::get(row(y), x);
    case 8: return BytePixels<1>::get(row(y), x);
    case 15:
    case 16: return BytePixels<2>::get(row(y), x);
    case 24: return BytePixels<3>::get(row(y), x);
    default: return BytePixels<4>::get(row(y), x);
    }
}

void PackedBitmap::setPixel(int x, int y, uint32_t v)
{
    switch (bitsPerPixel) {
    case 1: return PackedPixels<1>::put(row(y), x, v);
    case 4: return PackedPixels<4>::put(row(y), x, v);
    case 8: return BytePixels<1>::put(row(y), x, v);
    case 15:
    case 16: return BytePixels<2>::put(row(y), x, v);
    case 24: return BytePixels<3>::put(row(y), x, v);
    default: return BytePixels<4>::put(row(y), x, v);
    }
}

PackedBitmap RotateBitmap(const PackedBitmap& source, int angle, bool mirror, bool grow)
{
    if (source.width <= 0 || source.height <= 0 || source.bits.empty())
        throw ERotateError(kRotateSizeError);
    if (!supportedDepth(source.bitsPerPixel))
        throw ERotateError(kRotateIllegalBitmap);
    const Mapping m = makeMapping(source.width, source.height, angle, mirror, grow);
    PackedBitmap result(m.width, m.height, source.bitsPerPixel);
    result.palette = source.palette;
    const QVector<QRgb> palette(source.palette.begin(), source.palette.end());
    const Plane src{const_cast<uint8_t*>(source.bits.data()), source.stride(), source.width, source.height};
    const Plane dst{result.bits.data(), result.stride(), result.width, result.height};
    turnPlane(source.bitsPerPixel, src, dst, m, fillValue(source.bitsPerPixel, palette));
    return result;
}

QImage RotateBitmap(const QImage& source, int angle, bool mirror, bool grow)
{
    if (source.width() <= 0 || source.height() <= 0)
        throw ERotateError(kRotateSizeError);
    const int bpp = depthOf(source.format());
    if (bpp == 0)
        throw ERotateError(kRotateIllegalBitmap);
    const Mapping m = makeMapping(source.width(), source.height(), angle, mirror, grow);
    QImage result(m.width, m.height, source.format());
    if (result.isNull())
        throw ERotateError(kRotateSizeError);
    result.setColorTable(source.colorTable());
    const Plane src{const_cast<uint8_t*>(source.constBits()), source.bytesPerLine(), source.width(), source.height()};
    const Plane dst{result.bits(), result.bytesPerLine(), result.width(), result.height()};
    turnPlane(bpp, src, dst, m, fillValue(bpp, source.colorTable()));
    return result;
}

TBigBitmap RotateBitmap(const TBigBitmap& source, int angle, bool mirror, bool grow)
{
    return TBigBitmap::fromImage(RotateBitmap(source.image(), angle, mirror, grow), source.bitsPerPixel());
}

} // namespace qv

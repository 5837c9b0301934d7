#include "Resize.h"
#include <algorithm>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qv {
namespace {

// Every filter writes each pixel, so the new bitmap is not cleared first.
TBigBitmap newBitmap32(int w, int h)
{
    if (w <= 0 || h <= 0 || qint64(w) * h > kMaxBitmapPixels)
        return {};
    return TBigBitmap::fromImage(QImage(w, h, QImage::Format_RGB32), 32);
}

// Shared, not copied, when the source is already 32-bit.
TBigBitmap as32(const TBigBitmap& src) { return TBigBitmap::fromImage(src.image(), 32); }

const uint32_t* row32(const TBigBitmap& b, int y) { return reinterpret_cast<const uint32_t*>(b.scanLine(y)); }
uint32_t* row32(TBigBitmap& b, int y) { return reinterpret_cast<uint32_t*>(b.scanLine(y)); }

// Source taps along one axis: positions start + k * step in fixed point with `bits` fraction
// bits; the weight is the top byte of the fraction. The second tap is clamped to the last
// pixel, which only comes into play for a side of 1 pixel or an enlargement.
struct Taps {
    std::vector<int> i0, i1, f;
};

Taps makeTaps(int srcLen, int dstLen, int64_t step, int64_t start, int bits)
{
    Taps t;
    t.i0.resize(dstLen);
    t.i1.resize(dstLen);
    t.f.resize(dstLen);
    for (int k = 0; k < dstLen; ++k) {
        const int64_t pos = start + k * step;
        t.i0[k] = int(std::min<int64_t>(pos >> bits, srcLen - 1));
        t.i1[k] = std::min(t.i0[k] + 1, srcLen - 1);
        t.f[k] = int((pos >> (bits - 8)) & 255);
    }
    return t;
}

// The source as 32 bits and an empty destination; both null when the request cannot be met.
bool prepare(const TBigBitmap& source, int w, int h, TBigBitmap& src, TBigBitmap& dst)
{
    if (source.isNull() || w <= 0 || h <= 0)
        return false;
    src = as32(source);
    dst = newBitmap32(w, h);
    return !src.isNull() && !dst.isNull();
}

uint32_t blendPixel(uint32_t p00, uint32_t p01, uint32_t p10, uint32_t p11, int fx, int fy)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= uint32_t(blendChannel((p00 >> shift) & 255, (p01 >> shift) & 255, (p10 >> shift) & 255,
                                     (p11 >> shift) & 255, fx, fy))
            << shift;
    return out;
}

// ((255 - f) * a + f * b) >> 8 on each byte: one direction of the SIMD variant.
uint32_t weighPixel(uint32_t a, uint32_t b, int f)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= uint32_t(((255 - f) * int((a >> shift) & 255) + f * int((b >> shift) & 255)) >> 8) << shift;
    return out;
}

constexpr uint32_t kPadding = 0xFF000000u;

#if defined(__SSE2__)
__m128i weigh16(__m128i a, __m128i b, __m128i f)
{
    const __m128i full = _mm_set1_epi16(255);
    return _mm_srli_epi16(_mm_adds_epu16(_mm_mullo_epi16(a, _mm_sub_epi16(full, f)), _mm_mullo_epi16(b, f)), 8);
}

// Two output pixels per step; each reads its pixel pair with one 8-byte load, so only taps
// whose neighbours are adjacent (i1 == i0 + 1) go this way. Returns how many were done.
int weighAcrossSse2(const uint32_t* s, const Taps& t, const uint64_t* weights, int count, uint32_t* out)
{
    const __m128i zero = _mm_setzero_si128();
    int i = 0;
    for (; i + 1 < count; i += 2) {
        const __m128i p0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + t.i0[i]));
        const __m128i p1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + t.i0[i + 1]));
        const __m128i ab = _mm_shuffle_epi32(_mm_unpacklo_epi64(p0, p1), _MM_SHUFFLE(3, 1, 2, 0));
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + i));
        const __m128i v = weigh16(_mm_unpacklo_epi8(ab, zero), _mm_unpackhi_epi8(ab, zero), f);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(v, v));
    }
    return i;
}

int weighDownSse2(const uint32_t* a, const uint32_t* b, int fy, int w, uint32_t* out)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i f = _mm_set1_epi16(short(fy));
    const __m128i padding = _mm_set1_epi32(int(kPadding));
    int i = 0;
    for (; i + 3 < w; i += 4) {
        const __m128i h0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i h1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        const __m128i lo = weigh16(_mm_unpacklo_epi8(h0, zero), _mm_unpacklo_epi8(h1, zero), f);
        const __m128i hi = weigh16(_mm_unpackhi_epi8(h0, zero), _mm_unpackhi_epi8(h1, zero), f);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_or_si128(_mm_packus_epi16(lo, hi), padding));
    }
    return i;
}
#endif

// One source row blended across into w pixels.
void weighAcross(const uint32_t* s, const Taps& t, const std::vector<uint64_t>& weights, int adjacent,
                 uint32_t* out)
{
    int i = 0;
#if defined(__SSE2__)
    i = weighAcrossSse2(s, t, weights.data(), adjacent, out);
#else
    (void)weights;
    (void)adjacent;
#endif
    const int w = int(t.i0.size());
    for (; i < w; ++i)
        out[i] = weighPixel(s[t.i0[i]], s[t.i1[i]], t.f[i]);
}

void weighDown(const uint32_t* a, const uint32_t* b, int fy, int w, uint32_t* out)
{
    int i = 0;
#if defined(__SSE2__)
    i = weighDownSse2(a, b, fy, w, out);
#endif
    for (; i < w; ++i)
        out[i] = weighPixel(a[i], b[i], fy) | kPadding;
}

// Taps are monotonic, so the clamped ones (i1 == i0) all sit at the end.
int adjacentTaps(const Taps& t)
{
    int n = 0;
    while (n < int(t.i0.size()) && t.i1[n] == t.i0[n] + 1)
        ++n;
    return n;
}

// Keeps the last two rows blended across, since neighbouring output rows often share them.
class AcrossRows {
public:
    AcrossRows(const TBigBitmap& src, const Taps& tx) : src(src), tx(tx), adjacent(adjacentTaps(tx))
    {
        const size_t w = tx.i0.size();
        weights.resize(w + 1); // one spare so the SIMD loop may read a pair at the end
        for (size_t i = 0; i < w; ++i)
            weights[i] = uint64_t(tx.f[i]) * 0x0001000100010001ull;
        rows[0].resize(w);
        rows[1].resize(w);
    }

    /// @brief Rows y0 and y1 blended across, in rows[0] and rows[1].
    void load(int y0, int y1)
    {
        if (have[0] != y0) {
            if (have[1] == y0) {
                std::swap(rows[0], rows[1]);
                std::swap(have[0], have[1]);
            } else {
                fill(0, y0);
            }
        }
        if (have[1] != y1)
            fill(1, y1);
    }

    std::vector<uint32_t> rows[2];

private:
    void fill(int k, int y)
    {
        weighAcross(row32(src, y), tx, weights, adjacent, rows[k].data());
        have[k] = y;
    }

    const TBigBitmap& src;
    const Taps& tx;
    const int adjacent;
    std::vector<uint64_t> weights;
    int have[2] = {-1, -1};
};

} // namespace

uint8_t blendChannel(int p00, int p01, int p10, int p11, int fx, int fy)
{
    // >> on a negative int is floor division by a power of two (C++20 arithmetic shift).
    const int cross = (fx * fy * (p00 + p11 - p01 - p10)) >> 8;
    return uint8_t((p00 + ((cross + (p01 - p00) * fx + (p10 - p00) * fy) >> 8)) & 255);
}

TBigBitmap resizeNearest(const TBigBitmap& source, int w, int h)
{
    TBigBitmap src, dst;
    if (!prepare(source, w, h, src, dst))
        return {};
    const int64_t stepX = int64_t(src.width()) * 65535 / w;
    const int64_t stepY = int64_t(src.height()) * 65535 / h;
    std::vector<int> xs(w);
    for (int i = 0; i < w; ++i)
        xs[i] = int(std::min<int64_t>((i * stepX) >> 16, src.width() - 1));
    for (int j = 0; j < h; ++j) {
        const int y = int(std::min<int64_t>((1 + j * stepY) >> 16, src.height() - 1));
        const uint32_t* s = row32(src, y);
        uint32_t* d = row32(dst, j);
        for (int i = 0; i < w; ++i)
            d[i] = s[xs[i]];
    }
    return dst;
}

TBigBitmap resizeBilinear(const TBigBitmap& source, int w, int h)
{
    TBigBitmap src, dst;
    if (!prepare(source, w, h, src, dst))
        return {};
    const Taps tx = makeTaps(src.width(), w, int64_t(src.width()) * 255 / w, 0, 8);
    const Taps ty = makeTaps(src.height(), h, int64_t(src.height()) * 255 / h, 1, 8);
    for (int j = 0; j < h; ++j) {
        const uint32_t* r0 = row32(src, ty.i0[j]);
        const uint32_t* r1 = row32(src, ty.i1[j]);
        uint32_t* d = row32(dst, j);
        for (int i = 0; i < w; ++i) {
            const int x0 = tx.i0[i], x1 = tx.i1[i];
            d[i] = blendPixel(r0[x0], r0[x1], r1[x0], r1[x1], tx.f[i], ty.f[j]);
        }
    }
    return dst;
}

TBigBitmap resizeBilinearMMX(const TBigBitmap& source, int w, int h)
{
    TBigBitmap src, dst;
    if (!prepare(source, w, h, src, dst))
        return {};
    const Taps tx = makeTaps(src.width(), w, int64_t(src.width()) * 65535 / w, 0, 16);
    const Taps ty = makeTaps(src.height(), h, int64_t(src.height()) * 65535 / h, 0, 16);
    AcrossRows across(src, tx);
    for (int j = 0; j < h; ++j) {
        across.load(ty.i0[j], ty.i1[j]);
        weighDown(across.rows[0].data(), across.rows[1].data(), ty.f[j], w, row32(dst, j));
    }
    return dst;
}

bool fitLongSide(TBigBitmap& bitmap, int L, bool nearest, bool useSimd)
{
    const int w = bitmap.width();
    const int h = bitmap.height();
    if (w == 0 || h == 0 || L <= 0)
        return true;
    const float c = float(L) / float(w > h ? w : h);
    if (c >= 1.0f)
        return true;
    // An int times a float is exact in double, so the truncation sees the true product.
    // A side is kept at 1 at least: a very thin strip would otherwise vanish.
    const int nw = std::max(1, int(double(w) * double(c)));
    const int nh = std::max(1, int(double(h) * double(c)));
    TBigBitmap out = nearest ? resizeNearest(bitmap, nw, nh)
                   : useSimd ? resizeBilinearMMX(bitmap, nw, nh)
                             : resizeBilinear(bitmap, nw, nh);
    if (out.isNull())
        return false;
    bitmap = std::move(out);
    return true;
}

} // namespace qv

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
    if (!pictureFits(w, h))
        return {};
    return TBigBitmap::fromImage(QImage(w, h, QImage::Format_RGB32), 32);
}

// Shared, not copied, when the source is already 32-bit.
TBigBitmap as32(const TBigBitmap& src) { return TBigBitmap::fromImage(src.image(), 32); }

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

#if defined(__SSE2__)
// Eight 16-bit lanes: two pixels of four channels each.
__m128i widen2(uint32_t a, uint32_t b)
{
    const __m128i pair = _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(a)), _mm_cvtsi32_si128(int(b)));
    return _mm_unpacklo_epi8(pair, _mm_setzero_si128());
}

// d * u as 32-bit products for signed 16-bit d and unsigned 16-bit u (lanes 0-3, then 4-7).
void mulSignedUnsigned(__m128i d, __m128i u, __m128i& lo4, __m128i& hi4)
{
    const __m128i low = _mm_mullo_epi16(d, u);
    // mulhi treats u as signed; where u >= 32768 the true high half is d larger.
    const __m128i high = _mm_add_epi16(_mm_mulhi_epi16(d, u), _mm_and_si128(d, _mm_srai_epi16(u, 15)));
    lo4 = _mm_unpacklo_epi16(low, high);
    hi4 = _mm_unpackhi_epi16(low, high);
}

// blendChannel on the eight channels of two pixels, exactly.
uint64_t blendPairSse2(const uint32_t* r0, const uint32_t* r1, int x0a, int x1a, int x0b, int x1b,
                       int fxa, int fxb, int fy)
{
    const __m128i p00 = widen2(r0[x0a], r0[x0b]);
    const __m128i p01 = widen2(r0[x1a], r0[x1b]);
    const __m128i p10 = widen2(r1[x0a], r1[x0b]);
    const __m128i p11 = widen2(r1[x1a], r1[x1b]);
    const __m128i fx = _mm_set_epi16(short(fxb), short(fxb), short(fxb), short(fxb), short(fxa), short(fxa),
                                     short(fxa), short(fxa));
    const __m128i fyv = _mm_set1_epi16(short(fy));
    const __m128i fxfy = _mm_mullo_epi16(fx, fyv); // at most 65025: fits unsigned 16 bits

    __m128i crossLo, crossHi;
    const __m128i d = _mm_sub_epi16(_mm_add_epi16(p00, p11), _mm_add_epi16(p01, p10));
    mulSignedUnsigned(d, fxfy, crossLo, crossHi);
    crossLo = _mm_srai_epi32(crossLo, 8); // arithmetic shift: floor division
    crossHi = _mm_srai_epi32(crossHi, 8);

    const __m128i e1 = _mm_sub_epi16(p01, p00);
    const __m128i e2 = _mm_sub_epi16(p10, p00);
    const __m128i linLo = _mm_madd_epi16(_mm_unpacklo_epi16(e1, e2), _mm_unpacklo_epi16(fx, fyv));
    const __m128i linHi = _mm_madd_epi16(_mm_unpackhi_epi16(e1, e2), _mm_unpackhi_epi16(fx, fyv));

    const __m128i zero = _mm_setzero_si128();
    const __m128i byte = _mm_set1_epi32(255);
    const __m128i vLo = _mm_and_si128(
        _mm_add_epi32(_mm_unpacklo_epi16(p00, zero), _mm_srai_epi32(_mm_add_epi32(crossLo, linLo), 8)), byte);
    const __m128i vHi = _mm_and_si128(
        _mm_add_epi32(_mm_unpackhi_epi16(p00, zero), _mm_srai_epi32(_mm_add_epi32(crossHi, linHi), 8)), byte);
    const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(vLo, vHi), zero);
    return uint64_t(_mm_cvtsi128_si64(packed));
}
#endif

// One destination row of the bilinear filter, two pixels at a time where SIMD is there.
void blendRow(const uint32_t* r0, const uint32_t* r1, const Taps& tx, int fy, bool simd, uint32_t* out)
{
    const int w = int(tx.i0.size());
    int i = 0;
#if defined(__SSE2__)
    if (simd) {
        for (; i + 1 < w; i += 2) {
            const uint64_t two = blendPairSse2(r0, r1, tx.i0[i], tx.i1[i], tx.i0[i + 1], tx.i1[i + 1], tx.f[i],
                                               tx.f[i + 1], fy);
            out[i] = uint32_t(two);
            out[i + 1] = uint32_t(two >> 32);
        }
    }
#else
    (void)simd;
#endif
    for (; i < w; ++i)
        out[i] = blendPixel(r0[tx.i0[i]], r0[tx.i1[i]], r1[tx.i0[i]], r1[tx.i1[i]], tx.f[i], fy);
}

TBigBitmap bilinear(const TBigBitmap& source, int w, int h, bool simd)
{
    TBigBitmap src, dst;
    if (!prepare(source, w, h, src, dst))
        return {};
    const Taps tx = makeTaps(src.width(), w, int64_t(src.width()) * 255 / w, 0, 8);
    const Taps ty = makeTaps(src.height(), h, int64_t(src.height()) * 255 / h, 1, 8);
    for (int j = 0; j < h; ++j)
        blendRow(row32(src, ty.i0[j]), row32(src, ty.i1[j]), tx, ty.f[j], simd, row32(dst, j));
    return dst;
}

} // namespace

uint8_t blendChannel(int p00, int p01, int p10, int p11, int fx, int fy)
{
    // >> on a negative int is floor division by a power of two (C++20 arithmetic shift).
    const int cross = (fx * fy * (p00 + p11 - p01 - p10)) >> 8;
    return uint8_t((p00 + ((cross + (p01 - p00) * fx + (p10 - p00) * fy) >> 8)) & 255);
}

TBigBitmap resizeNearest(const TBigBitmap& source, int w, int h)
{
    // A 24-bit source is read in place: a picture may be large, its 32-bit copy larger still.
    if (source.isNull() || w <= 0 || h <= 0)
        return {};
    TBigBitmap dst = newBitmap32(w, h);
    if (dst.isNull())
        return {};
    const int bpp = source.bitsPerPixel() / 8;
    const int64_t stepX = int64_t(source.width()) * 65535 / w;
    const int64_t stepY = int64_t(source.height()) * 65535 / h;
    std::vector<int> xs(w);
    for (int i = 0; i < w; ++i)
        xs[i] = int(std::min<int64_t>((i * stepX) >> 16, source.width() - 1)) * bpp;
    for (int j = 0; j < h; ++j) {
        const int y = int(std::min<int64_t>((1 + j * stepY) >> 16, source.height() - 1));
        const uchar* s = source.scanLine(y);
        uint32_t* d = row32(dst, j);
        for (int i = 0; i < w; ++i) {
            const uchar* p = s + xs[i];
            d[i] = bpp == 4 ? *reinterpret_cast<const uint32_t*>(p) : 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        }
    }
    return dst;
}

TBigBitmap resizeBilinear(const TBigBitmap& source, int w, int h) { return bilinear(source, w, h, false); }

TBigBitmap resizeBilinearMMX(const TBigBitmap& source, int w, int h) { return bilinear(source, w, h, true); }

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

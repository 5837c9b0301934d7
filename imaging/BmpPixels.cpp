#include "BmpPixels.h"
#include <algorithm>
#include <bit>
#include <cstring>

namespace qv::bmp {

qint64 rowStride(int width, int bitCount) { return (qint64(width) * bitCount + 31) / 32 * 4; }

bool makeChannel(uint32_t mask, Channel& channel)
{
    channel = Channel{mask, 0, 0};
    if (mask == 0)
        return true;
    channel.shift = std::countr_zero(mask);
    const uint32_t low = mask >> channel.shift;
    channel.bits = std::countr_one(low);
    // A full 32-bit mask has nothing above it (and shifting by 32 is undefined).
    return channel.bits == 32 || (low >> channel.bits) == 0;
}

namespace {

// Widens a channel value to 8 bits by repeating its bits, so that full scale maps to 255.
inline uint8_t channelValue(uint32_t pixel, const Channel& c)
{
    if (c.bits == 0)
        return 0;
    const uint32_t v = (pixel & c.mask) >> c.shift;
    if (c.bits >= 8)
        return uint8_t(v >> (c.bits - 8));
    uint32_t r = v << (8 - c.bits);
    for (int filled = c.bits; filled < 8; filled *= 2)
        r |= r >> filled;
    return uint8_t(r);
}

bool isBgrx(const Layout& l)
{
    return l.fields[0].mask == 0xFF0000u && l.fields[1].mask == 0xFF00u && l.fields[2].mask == 0xFFu;
}

void indexedRow(const Layout& l, const uchar* src, uchar* dst)
{
    const uint8_t* pal = l.palette.data();
    if (l.bitCount == 8) {
        for (int x = 0; x < l.width; ++x)
            std::memcpy(dst + 3 * x, pal + 3 * src[x], 3);
        return;
    }
    const int bits = l.bitCount;
    const int perByte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    for (int x = 0; x < l.width; ++x) {
        const int shift = 8 - bits * (x % perByte + 1);
        const unsigned index = (src[x / perByte] >> shift) & mask;
        std::memcpy(dst + 3 * x, pal + 3 * index, 3);
    }
}

inline uint32_t loadPixel(const uchar* src, int bytes)
{
    uint32_t px = src[0] | uint32_t(src[1]) << 8;
    if (bytes == 4)
        px |= uint32_t(src[2]) << 16 | uint32_t(src[3]) << 24;
    return px;
}

// c over white with opacity a (both 0..255).
inline uint8_t overWhite(uint8_t c, uint8_t a) { return uint8_t((c * a + 255 * (255 - a) + 127) / 255); }

void fieldsRow(const Layout& l, bool blend, const uchar* src, uchar* dst)
{
    const int bytes = l.bitCount / 8;
    for (int x = 0; x < l.width; ++x, src += bytes, dst += 3) {
        const uint32_t px = loadPixel(src, bytes);
        dst[0] = channelValue(px, l.fields[2]);
        dst[1] = channelValue(px, l.fields[1]);
        dst[2] = channelValue(px, l.fields[0]);
        if (blend) {
            const uint8_t a = channelValue(px, l.alpha);
            for (int i = 0; i < 3; ++i)
                dst[i] = overWhite(dst[i], a);
        }
    }
}

bool anyAlpha(const Layout& l, qint64 stride)
{
    if (l.alpha.mask == 0 || l.bitCount < 16)
        return false;
    const int bytes = l.bitCount / 8;
    for (int y = 0; y < l.height; ++y) {
        const uchar* src = l.data + stride * y;
        for (int x = 0; x < l.width; ++x, src += bytes)
            if (loadPixel(src, bytes) & l.alpha.mask)
                return true;
    }
    return false;
}

void bgrxRow(int width, const uchar* src, uchar* dst)
{
    for (int x = 0; x < width; ++x, src += 4, dst += 3) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
    }
}

} // namespace

void decodePlain(const Layout& l, TBigBitmap& out)
{
    const qint64 stride = rowStride(l.width, l.bitCount);
    const bool blend = anyAlpha(l, stride);
    const bool fastBgrx = l.bitCount == 32 && isBgrx(l) && !blend;
    for (int y = 0; y < l.height; ++y) {
        const uchar* src = l.data + stride * (l.topDown ? y : l.height - 1 - y);
        uchar* dst = out.scanLine(y);
        if (l.bitCount <= 8)
            indexedRow(l, src, dst);
        else if (l.bitCount == 24)
            std::memcpy(dst, src, size_t(l.width) * 3);
        else if (fastBgrx)
            bgrxRow(l.width, src, dst);
        else
            fieldsRow(l, blend, src, dst);
    }
}

namespace {

// Writes runs into one row at a time; positions outside the bitmap are dropped.
class RleWriter {
public:
    RleWriter(const Layout& l, TBigBitmap& out) : l(l), out(out) { selectRow(); }

    bool done() const { return y >= l.height; }
    void put(const uint8_t* bgr)
    {
        if (row && x < l.width)
            std::memcpy(row + 3 * x, bgr, 3);
        ++x;
    }
    void endOfLine()
    {
        x = 0;
        ++y;
        selectRow();
    }
    void delta(int dx, int dy)
    {
        x += dx;
        y += dy;
        selectRow();
    }

private:
    void selectRow() { row = y < l.height ? out.scanLine(l.topDown ? y : l.height - 1 - y) : nullptr; }

    const Layout& l;
    TBigBitmap& out;
    qint64 x = 0; // may run past the width on bad data; such pixels are dropped
    int y = 0;    // row in file order
    uchar* row = nullptr;
};

// Decodes `count` pixels stored literally (absolute mode) from at most `avail` bytes.
void putLiteral(const Layout& l, RleWriter& w, const uchar* p, qint64 avail, int count)
{
    const uint8_t* pal = l.palette.data();
    for (int i = 0; i < count; ++i) {
        if (l.coding == Coding::Rle8) {
            if (i >= avail)
                return;
            w.put(pal + 3 * p[i]);
        } else if (l.coding == Coding::Rle4) {
            if (i / 2 >= avail)
                return;
            const unsigned index = (i & 1) ? (p[i / 2] & 15) : (p[i / 2] >> 4);
            w.put(pal + 3 * index);
        } else {
            if (3 * i + 3 > avail)
                return;
            w.put(p + 3 * i);
        }
    }
}

qint64 literalBytes(Coding coding, int count)
{
    const qint64 bytes = coding == Coding::Rle8 ? count : coding == Coding::Rle4 ? (count + 1) / 2 : 3 * count;
    return bytes + (bytes & 1); // absolute runs are padded to 16 bits
}

} // namespace

void decodeRle(const Layout& l, TBigBitmap& out)
{
    const uint8_t* pal = l.palette.data();
    const uchar* p = l.data;
    const uchar* const end = l.data + l.dataSize;
    RleWriter w(l, out);
    while (end - p >= 2 && !w.done()) {
        const int n = p[0];
        const int v = p[1];
        p += 2;
        if (n > 0) { // encoded run
            if (l.coding == Coding::Rle24) {
                if (end - p < 2)
                    return;
                const uint8_t bgr[3] = {uint8_t(v), p[0], p[1]};
                p += 2;
                for (int i = 0; i < n; ++i)
                    w.put(bgr);
            } else if (l.coding == Coding::Rle8) {
                for (int i = 0; i < n; ++i)
                    w.put(pal + 3 * v);
            } else {
                for (int i = 0; i < n; ++i)
                    w.put(pal + 3 * ((i & 1) ? (v & 15) : (v >> 4)));
            }
        } else if (v == 0) {
            w.endOfLine();
        } else if (v == 1) {
            return; // end of bitmap
        } else if (v == 2) {
            if (end - p < 2)
                return;
            w.delta(p[0], p[1]);
            p += 2;
        } else {
            putLiteral(l, w, p, end - p, v);
            p += std::min(literalBytes(l.coding, v), qint64(end - p));
        }
    }
}

} // namespace qv::bmp

#include "BmpCodec.h"
#include "BmpPixels.h"
#include <QColor>
#include "PictureFile.h"
#include "ReplacingFile.h"
#include <algorithm>
#include <cstring>
#include <limits>

namespace qv {
namespace {

using bmp::Coding;
using bmp::Layout;

constexpr qint64 kFileHeaderSize = 14;
constexpr qint64 kInfoHeaderSize = 40;

uint16_t u16(const uchar* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t u32(const uchar* p) { return p[0] | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
void put16(uchar* p, uint32_t v)
{
    p[0] = uchar(v);
    p[1] = uchar(v >> 8);
}
void put32(uchar* p, uint32_t v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}

// The fields of the info header, whichever of its versions the file uses.
struct InfoHeader {
    quint32 size = 0;
    bool os2 = false; // OS/2 headers give other meanings to compression 3 and 4
    qint64 width = 0;
    qint64 height = 0;
    int bitCount = 0;
    quint32 compression = 0;
    quint32 colorsUsed = 0;
};

QString readInfoHeader(const uchar* b, qint64 size, InfoHeader& info)
{
    if (size < kFileHeaderSize + 4 || b[0] != 'B' || b[1] != 'M')
        return QStringLiteral("not a BMP file");
    info.size = u32(b + 14);
    if (info.size < 12 || (info.size > 12 && info.size < 16) || kFileHeaderSize + info.size > size)
        return QStringLiteral("BMP info header is truncated or has an invalid size (%1)").arg(info.size);
    const uchar* h = b + kFileHeaderSize;
    if (info.size == 12) { // OS/2 1.x: 16-bit sizes, always bottom-up
        info.os2 = true;
        info.width = u16(h + 4);
        info.height = u16(h + 6);
        info.bitCount = u16(h + 10);
        return {};
    }
    // OS/2 2.x headers are 16 to 64 bytes; 40, 52 and 56 are the Windows sizes.
    info.os2 = info.size < 40 || (info.size > 40 && info.size <= 64 && info.size != 52 && info.size != 56);
    info.width = qint32(u32(h + 4));
    info.height = qint32(u32(h + 8));
    info.bitCount = u16(h + 14);
    if (info.size >= 20)
        info.compression = u32(h + 16);
    if (info.size >= 36)
        info.colorsUsed = u32(h + 32);
    return {};
}

QString checkSize(Layout& l, const InfoHeader& info)
{
    if (info.width <= 0 || info.height == 0 || info.height == std::numeric_limits<qint32>::min())
        return QStringLiteral("BMP has an invalid size (%1 x %2)").arg(info.width).arg(info.height);
    l.topDown = info.height < 0;
    const qint64 height = std::abs(info.height);
    if (!pictureFits(info.width, height))
        return QStringLiteral("BMP is too large (%1 x %2 pixels)").arg(info.width).arg(height);
    l.width = int(info.width);
    l.height = int(height);
    return {};
}

QString selectCoding(Layout& l, const InfoHeader& info)
{
    const int bits = info.bitCount;
    if (bits == 64)
        return QStringLiteral("64-bit BMP is not supported");
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return QStringLiteral("BMP has an invalid bit count (%1)").arg(bits);
    l.bitCount = bits;
    const quint32 c = info.compression;
    if (c == 0)
        return {};
    if (c == 1 && bits == 8)
        l.coding = Coding::Rle8;
    else if (c == 2 && bits == 4)
        l.coding = Coding::Rle4;
    else if (info.os2 && c == 4 && bits == 24)
        l.coding = Coding::Rle24;
    else if (!info.os2 && (c == 3 || c == 6) && (bits == 16 || bits == 32))
        l.useFields = true;
    else if (info.os2 && c == 3)
        return QStringLiteral("Huffman-compressed BMP is not supported");
    else if (!info.os2 && c == 4)
        return QStringLiteral("JPEG-compressed BMP is not supported");
    else if (!info.os2 && c == 5)
        return QStringLiteral("PNG-compressed BMP is not supported");
    else
        return QStringLiteral("BMP has an invalid compression (%1 with %2 bits)").arg(c).arg(bits);
    return {};
}

// Red, green and blue masks: from the header or after it, or the defaults of 16 and 32 bits.
QString readFields(Layout& l, const InfoHeader& info, const uchar* b, qint64 size, qint64& afterMasks)
{
    afterMasks = kFileHeaderSize + info.size;
    if (l.bitCount != 16 && l.bitCount != 32)
        return {};
    uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    if (l.useFields) {
        const uchar* m = b + kFileHeaderSize + 40;
        if (info.size < 52) {
            afterMasks += info.compression == 6 ? 16 : 12;
            if (afterMasks > size)
                return QStringLiteral("BMP bit-field masks are missing");
        }
        const bool hasAlphaMask = info.size >= 56 || (info.size == 40 && info.compression == 6);
        for (int i = 0; i < (hasAlphaMask ? 4 : 3); ++i)
            masks[i] = u32(m + 4 * i);
    }
    if (masks[0] == 0 && masks[1] == 0 && masks[2] == 0) {
        const bool is16 = l.bitCount == 16;
        masks[0] = is16 ? 0x7C00u : 0xFF0000u;
        masks[1] = is16 ? 0x03E0u : 0x00FF00u;
        masks[2] = is16 ? 0x001Fu : 0x0000FFu;
    }
    for (int i = 0; i < 3; ++i)
        if (!bmp::makeChannel(masks[i], l.fields[i]))
            return QStringLiteral("BMP bit-field mask 0x%1 is not contiguous").arg(masks[i], 0, 16);
    if (!bmp::makeChannel(masks[3], l.alpha))
        l.alpha = {}; // a broken alpha mask: the colours are still good
    return {};
}

// Palette entries up to the pixel data offset (or the end of the file); unused entries stay
// black. Gives the offset just after the palette.
qint64 readPalette(Layout& l, const InfoHeader& info, const uchar* b, qint64 size, qint64 start, qint64 dataStart)
{
    if (l.bitCount > 8)
        return start;
    const qint64 entry = info.size == 12 ? 3 : 4;
    const qint64 full = qint64(1) << l.bitCount;
    qint64 count = info.colorsUsed == 0 ? full : std::min<qint64>(info.colorsUsed, full);
    const qint64 end = std::min(dataStart >= start ? dataStart : size, size);
    count = std::min(count, std::max<qint64>(0, (end - start) / entry));
    for (qint64 i = 0; i < count; ++i)
        std::memcpy(l.palette.data() + 3 * i, b + start + i * entry, 3);
    return start + count * entry;
}

QString checkDataSize(const Layout& l)
{
    const qint64 pixels = qint64(l.width) * l.height;
    if (l.coding != Coding::Plain) {
        // RLE data can skip pixels: the bytes-present rule bounds what it may claim.
        if (!claimFitsData(pixels, l.dataSize))
            return QStringLiteral("BMP compressed data is far too short for %1 x %2 pixels").arg(l.width).arg(l.height);
        return {};
    }
    const qint64 needed = bmp::rowStride(l.width, l.bitCount) * (l.height - 1) + (qint64(l.width) * l.bitCount + 7) / 8;
    if (needed > l.dataSize)
        return QStringLiteral("BMP pixel data is truncated (%1 of %2 bytes)").arg(l.dataSize).arg(needed);
    return {};
}

// `bytes` may be only the beginning of a file of `fileSize` bytes (a probe): the headers and
// palette are read from it, the pixel data is measured by the file's size.
QString parseLayout(const QByteArray& bytes, qint64 fileSize, Layout& l)
{
    const auto* b = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 size = bytes.size();
    InfoHeader info;
    QString error = readInfoHeader(b, size, info);
    if (error.isEmpty())
        error = checkSize(l, info);
    if (error.isEmpty())
        error = selectCoding(l, info);
    qint64 paletteStart = 0;
    if (error.isEmpty())
        error = readFields(l, info, b, size, paletteStart);
    if (!error.isEmpty())
        return error;
    qint64 dataStart = u32(b + 10);
    if (dataStart > fileSize)
        return QStringLiteral("BMP pixel data offset lies beyond the end of the file");
    const qint64 paletteEnd = readPalette(l, info, b, size, paletteStart, dataStart);
    if (dataStart < paletteStart) // a broken offset: assume the pixels follow the palette
        dataStart = paletteEnd;
    l.data = dataStart <= size ? b + dataStart : nullptr;
    l.dataSize = fileSize - dataStart;
    return checkDataSize(l);
}

// A 24-bit image without the white fill that TBigBitmap's constructor does.
TBigBitmap allocate(int width, int height)
{
    return TBigBitmap::fromImage(QImage(width, height, QImage::Format_BGR888), 24);
}

// --- writing ---

qint64 strideOf(int width) { return (qint64(width) * 3 + 3) & ~qint64(3); }

// The decode's peak: the file's bytes beside the 24-bit bitmap.
qint64 peakOf(const Layout& l, qint64 fileSize) { return fileSize + strideOf(l.width) * l.height; }

QString budgetError(qint64 peak)
{
    return QStringLiteral("BMP needs %1 MiB to decode, more than the picture budget").arg(peak >> 20);
}

void writeHeaders(uchar* p, int width, int height)
{
    const qint64 imageSize = strideOf(width) * height;
    std::memset(p, 0, kFileHeaderSize + kInfoHeaderSize);
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, uint32_t(kFileHeaderSize + kInfoHeaderSize + imageSize));
    put32(p + 10, uint32_t(kFileHeaderSize + kInfoHeaderSize));
    uchar* h = p + kFileHeaderSize;
    put32(h, kInfoHeaderSize);
    put32(h + 4, uint32_t(width));
    put32(h + 8, uint32_t(height)); // positive: rows bottom-up
    put16(h + 12, 1);
    put16(h + 14, 24);
    put32(h + 20, uint32_t(imageSize));
    // Compression 0, resolution 0 x 0 (no physical size: the program gives sizes in page
    // units, not pixels per metre), no palette.
}

// One stored row: B,G,R pixels of bitmap row y, zero padding to the stride.
void writeRow(const TBigBitmap& bm, int y, uchar* dst)
{
    const uchar* src = bm.scanLine(y);
    const int w = bm.width();
    if (bm.bitsPerPixel() == 24) {
        std::memcpy(dst, src, size_t(w) * 3);
    } else {
        for (int x = 0; x < w; ++x, src += 4)
            std::memcpy(dst + 3 * x, src, 3);
    }
    std::memset(dst + 3 * qint64(w), 0, size_t(strideOf(w) - 3 * qint64(w)));
}

bool fitsBmp(const TBigBitmap& bm)
{
    return !bm.isNull() && kFileHeaderSize + kInfoHeaderSize + strideOf(bm.width()) * bm.height()
                               <= std::numeric_limits<uint32_t>::max();
}

} // namespace

ImageLoadResult decodeBmp(const QByteArray& bytes)
{
    ImageLoadResult r;
    Layout l;
    r.error = parseLayout(bytes, bytes.size(), l);
    if (r.error.isEmpty() && !peakFits(peakOf(l, bytes.size())))
        r.error = budgetError(peakOf(l, bytes.size()));
    if (!r.error.isEmpty())
        return r;
    TBigBitmap bm = allocate(l.width, l.height);
    if (bm.isNull()) {
        r.error = QStringLiteral("not enough memory for a %1 x %2 bitmap").arg(l.width).arg(l.height);
        return r;
    }
    if (l.coding == Coding::Plain) {
        bmp::decodePlain(l, bm);
    } else {
        // Pixels the RLE data skips get colour 0, as in a zero-filled indexed bitmap.
        const uint8_t* c = l.palette.data();
        bm.image().fill(l.coding == Coding::Rle24 ? QColor(Qt::black) : QColor(c[2], c[1], c[0]));
        bmp::decodeRle(l, bm);
    }
    r.bitmap = std::move(bm);
    return r;
}

ImageLoadResult readBmpFile(const QString& path) { return loadPicture(path, PictureFormat::Bmp, {}); }

PictureProbe probeBmp(const QByteArray& bytes, qint64 fileSize)
{
    const qint64 size = fileSize > 0 ? fileSize : bytes.size();
    Layout l;
    PictureProbe p;
    p.error = parseLayout(bytes, size, l);
    if (!p.error.isEmpty())
        return p;
    p.width = p.outputWidth = l.width;
    p.height = p.outputHeight = l.height;
    p.peakBytes = peakOf(l, size);
    if (!peakFits(p.peakBytes))
        p.error = budgetError(p.peakBytes);
    return p;
}

QByteArray bmp24Header(int width, int height)
{
    QByteArray h(kFileHeaderSize + kInfoHeaderSize, Qt::Uninitialized);
    writeHeaders(reinterpret_cast<uchar*>(h.data()), width, height);
    return h;
}

QByteArray encodeBmp24(const TBigBitmap& bitmap)
{
    if (!fitsBmp(bitmap))
        return {};
    const int w = bitmap.width();
    const int h = bitmap.height();
    const qint64 stride = strideOf(w);
    QByteArray out(kFileHeaderSize + kInfoHeaderSize + stride * h, Qt::Uninitialized);
    auto* p = reinterpret_cast<uchar*>(out.data());
    writeHeaders(p, w, h);
    p += kFileHeaderSize + kInfoHeaderSize;
    for (int row = 0; row < h; ++row)
        writeRow(bitmap, h - 1 - row, p + row * stride);
    return out;
}

bool writeBmpFile(const TBigBitmap& bitmap, const QString& path, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (bitmap.isNull())
        return fail(QStringLiteral("no bitmap to write to %1").arg(path));
    if (!fitsBmp(bitmap))
        return fail(QStringLiteral("bitmap too large for a BMP file"));
    // Written to a temporary file and renamed at the end, so a failed write never leaves a
    // damaged file under the target name.
    ReplacingFile f(path);
    if (!f.open())
        return fail(QStringLiteral("cannot create %1: %2").arg(path, f.errorString()));
    const int w = bitmap.width();
    const int h = bitmap.height();
    const qint64 stride = strideOf(w);
    const int rowsPerChunk = int(std::max<qint64>(1, (1 << 20) / stride));
    QByteArray chunk(std::max(kFileHeaderSize + kInfoHeaderSize, stride * rowsPerChunk), Qt::Uninitialized);
    auto* p = reinterpret_cast<uchar*>(chunk.data());
    writeHeaders(p, w, h);
    if (!f.write(chunk.constData(), kFileHeaderSize + kInfoHeaderSize))
        return fail(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
    for (int row = 0; row < h; row += rowsPerChunk) {
        const int n = std::min(rowsPerChunk, h - row);
        for (int i = 0; i < n; ++i)
            writeRow(bitmap, h - 1 - (row + i), p + i * stride);
        if (!f.write(chunk.constData(), n * stride))
            return fail(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
    }
    if (!f.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
    return true;
}

} // namespace qv

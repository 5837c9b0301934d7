#include "ExifOrientation.h"
#include "PictureFile.h"
#include <algorithm>
#include <cstring>
#include <libexif/exif-data.h>
#include <libexif/exif-loader.h>
#include <memory>

namespace qv {
namespace {

struct LoaderUnref {
    void operator()(ExifLoader* l) const { exif_loader_unref(l); }
};
struct DataUnref {
    void operator()(ExifData* d) const { exif_data_unref(d); }
};
using LoaderPtr = std::unique_ptr<ExifLoader, LoaderUnref>;

int orientationFromLoader(ExifLoader* loader)
{
    const unsigned char* buf = nullptr;
    unsigned int size = 0;
    exif_loader_get_buf(loader, &buf, &size);
    if (!buf || size == 0)
        return 0;
    std::unique_ptr<ExifData, DataUnref> data(exif_data_new());
    if (!data)
        return 0;
    // Read the block as it stands: no entries added or "fixed".
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), buf, size);
    const ExifEntry* e = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (!e || !e->data || e->format != EXIF_FORMAT_SHORT || e->components < 1 || e->size < 2)
        return 0;
    const int v = exif_get_short(e->data, exif_data_get_byte_order(data.get()));
    return v >= 1 && v <= 8 ? v : 0;
}

// Where destination pixel (x, y) reads from: byte offset base + x * stepX + y * stepY.
struct SourceWalk {
    qsizetype base, stepX, stepY;
    bool swapsSides;
};

SourceWalk walkFor(int orientation, int w, int h, qsizetype stride, int bpp)
{
    const qsizetype right = qsizetype(w - 1) * bpp;  // last column
    const qsizetype bottom = qsizetype(h - 1) * stride; // last row
    switch (orientation) {
    case 2: return {right, -bpp, stride, false};
    case 3: return {bottom + right, -bpp, -stride, false};
    case 4: return {bottom, bpp, -stride, false};
    case 5: return {0, stride, bpp, true};
    case 6: return {bottom, -stride, bpp, true};
    case 7: return {bottom + right, -stride, -bpp, true};
    default: return {right, stride, -bpp, true}; // 8
    }
}

// Copies in square tiles, so that the column-wise reads of a quarter turn stay in cache.
template <int Bpp>
void remap(const TBigBitmap& src, TBigBitmap& dst, const SourceWalk& walk)
{
    constexpr int kTile = 64;
    const uchar* origin = src.scanLine(0);
    for (int ty = 0; ty < dst.height(); ty += kTile) {
        const int yEnd = std::min(dst.height(), ty + kTile);
        for (int tx = 0; tx < dst.width(); tx += kTile) {
            const int xEnd = std::min(dst.width(), tx + kTile);
            for (int y = ty; y < yEnd; ++y) {
                uchar* d = dst.scanLine(y) + qsizetype(tx) * Bpp;
                const uchar* s = origin + walk.base + y * walk.stepY + tx * walk.stepX;
                for (int x = tx; x < xEnd; ++x, d += Bpp, s += walk.stepX)
                    std::memcpy(d, s, Bpp);
            }
        }
    }
}

} // namespace

int readExifOrientation(const QByteArray& jpegBytes)
{
    LoaderPtr loader(exif_loader_new());
    if (!loader || jpegBytes.isEmpty())
        return 0;
    // The loader copies what it keeps; it only takes a non-const pointer.
    auto* bytes = reinterpret_cast<unsigned char*>(const_cast<char*>(jpegBytes.constData()));
    exif_loader_write(loader.get(), bytes, unsigned(std::min<qsizetype>(jpegBytes.size(), 0x7fffffff)));
    return orientationFromLoader(loader.get());
}

// The block sits at the front of the file, within the head every picture read takes first.
int readExifOrientationFile(const QString& path) { return readExifOrientation(readPictureHead(path).bytes); }

bool applyExifOrientation(TBigBitmap& bitmap, int orientation)
{
    if (!orientationTurns(orientation) || bitmap.isNull())
        return true;
    const int bpp = bitmap.bitsPerPixel() / 8;
    const SourceWalk walk = walkFor(orientation, bitmap.width(), bitmap.height(), bitmap.bytesPerLine(), bpp);
    const int w = walk.swapsSides ? bitmap.height() : bitmap.width();
    const int h = walk.swapsSides ? bitmap.width() : bitmap.height();
    // Every pixel is written, so the new bitmap is not cleared first.
    TBigBitmap out = TBigBitmap::fromImage(QImage(w, h, bitmap.image().format()), bitmap.bitsPerPixel());
    if (out.isNull())
        return false;
    if (bpp == 4)
        remap<4>(bitmap, out, walk);
    else
        remap<3>(bitmap, out, walk);
    bitmap = std::move(out);
    return true;
}

} // namespace qv

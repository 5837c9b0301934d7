#pragma once
// Bitmap container for decoded photos, cache slots and drawing targets.
// A thin layer over QImage: 24-bit pixels are stored B,G,R (QImage::Format_BGR888) and
// 32-bit pixels B,G,R,X (QImage::Format_RGB32), the byte order of BMP files.
#include "PictureBudget.h"
#include <QImage>
#include <QString>
#include <cstdint>

namespace qv {

class TBigBitmap {
public:
    TBigBitmap() = default;
    /// @brief A bitmap of w x h pixels of 24 or 32 bits, filled white; null when the size is
    /// invalid, over kMaxBitmapPixels or the memory cannot be had.
    TBigBitmap(int width, int height, int bitsPerPixel);
    /// @brief Wraps an image, converting it to the 24- or 32-bit layout.
    static TBigBitmap fromImage(const QImage& image, int bitsPerPixel = 24);

    bool isNull() const { return img.isNull(); }
    int width() const { return img.width(); }
    int height() const { return img.height(); }
    int bitsPerPixel() const;
    qsizetype bytesPerLine() const { return img.bytesPerLine(); }
    uchar* scanLine(int y) { return img.scanLine(y); }
    const uchar* scanLine(int y) const { return img.constScanLine(y); }

    /// @brief Pixel as 0x00RRGGBB.
    uint32_t pixel(int x, int y) const;
    void setPixel(int x, int y, uint32_t rgb);

    /// @brief Converts in place to 24 or 32 bits per pixel; false when out of memory.
    bool convertTo(int bitsPerPixel);
    /// @brief Keeps the top-left w x h pixels.
    void crop(int w, int h);

    QImage& image() { return img; }
    const QImage& image() const { return img; }

    bool operator==(const TBigBitmap& o) const { return img == o.img; }

private:
    QImage img;
};

/// Outcome of a decode: the bitmap, or a reason for the failure.
struct ImageLoadResult {
    TBigBitmap bitmap;
    QString error;
    bool missing = false; // the file is not there (any more)
    bool ok() const { return !bitmap.isNull() && error.isEmpty(); }
};

/// What decoding a picture would take, told from its header before any pixel memory is taken.
struct PictureProbe {
    int width = 0;          // full size
    int height = 0;
    int scaleDenom = 1;     // the decode's scale (JPEG)
    int outputWidth = 0;    // the bitmap
    int outputHeight = 0;
    qint64 peakBytes = 0;   // everything the decode holds at its peak, the file's bytes included
    QString error;          // set when the decode would be refused
    bool needsMoreBytes = false; // the bytes ended inside the header: ask again with more
    bool ok() const { return error.isEmpty(); }
};

} // namespace qv

#pragma once
// Turning a bitmap by an angle in tenths of a degree: integer fixed point with 10 fraction
// bits, nearest sampling, whole pixel values copied (also bit- and nibble-packed ones).
// A positive angle turns the picture counter-clockwise as seen, like the page items.
#include "TBigBitmap.h"
#include <QRgb>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace qv {

/// Raised by RotateBitmap; the print flow catches it.
class ERotateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kRotateSizeError = "Bitmap Size Error";
inline constexpr const char* kRotateIllegalBitmap = "Illegal Bitmap";

/// A device-independent bitmap of 1, 4, 8, 15, 16, 24 or 32 bits per pixel. Rows run top-down,
/// each padded to a multiple of 4 bytes; 1- and 4-bit pixels fill each byte from its high bits.
/// Pixel values are raw: a palette index, or the packed colour bits of the format.
struct PackedBitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;
    std::vector<QRgb> palette; // 1, 4 and 8 bits
    std::vector<uint8_t> bits;

    PackedBitmap() = default;
    /// @brief A zero-filled bitmap; empty (no bits) when a size is not positive.
    PackedBitmap(int width, int height, int bitsPerPixel);

    static qsizetype strideFor(int width, int bitsPerPixel);
    qsizetype stride() const { return strideFor(width, bitsPerPixel); }
    uint8_t* row(int y) { return bits.data() + y * stride(); }
    const uint8_t* row(int y) const { return bits.data() + y * stride(); }

    /// @brief Raw pixel value at (x, y).
    uint32_t pixel(int x, int y) const;
    void setPixel(int x, int y, uint32_t value);
};

/// @brief A new bitmap of the source's pixel format, turned by `angle` tenths of a degree.
/// With `mirror` the result is also flipped left to right; with `grow` it is as big as the
/// turned picture needs, else the source's size. Uncovered pixels get the format's white.
/// Throws ERotateError ("Bitmap Size Error" for an empty source or a result too big to hold,
/// "Illegal Bitmap" for an unsupported pixel format).
PackedBitmap RotateBitmap(const PackedBitmap& source, int angle, bool mirror, bool grow);
/// @brief The same for a QImage: Mono (1 bit), Indexed8, RGB555 (15), RGB16 (16), BGR888 (24),
/// RGB32 and ARGB32 (32); any other format is an "Illegal Bitmap".
QImage RotateBitmap(const QImage& source, int angle, bool mirror, bool grow);
TBigBitmap RotateBitmap(const TBigBitmap& source, int angle, bool mirror, bool grow);

} // namespace qv

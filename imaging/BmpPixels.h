#pragma once
// Internal to the BMP codec: the parsed layout of a BMP file and the pixel decoders.
#include "TBigBitmap.h"
#include <array>
#include <cstdint>

namespace qv::bmp {

enum class Coding { Plain, Rle8, Rle4, Rle24 };

/// One colour channel of a bit-field pixel: value = (pixel & mask) >> shift, `bits` wide.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

struct Layout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    Coding coding = Coding::Plain;
    bool useFields = false;            // 16/32-bit pixels described by channel masks
    std::array<Channel, 3> fields{};   // red, green, blue
    Channel alpha;                     // mask 0 when the pixels carry no alpha
    std::array<uint8_t, 256 * 3> palette{}; // B,G,R per entry; missing entries stay black
    const uchar* data = nullptr;       // first byte of the pixel data
    qint64 dataSize = 0;               // bytes from `data` to the end of the file
};

/// @brief Bytes in one stored row of an uncompressed bitmap (padded to 4 bytes).
qint64 rowStride(int width, int bitCount);
/// @brief Channel description for a mask; false when the mask's bits are not contiguous.
bool makeChannel(uint32_t mask, Channel& channel);

/// @brief Fills the 24-bit `out` from uncompressed pixel rows; the caller has checked that
/// every row is present in `layout.data`. Pixels with alpha are laid over white, unless every
/// alpha value is 0 (writers that fill the alpha channel with zeros mean no alpha at all).
void decodePlain(const Layout& layout, TBigBitmap& out);
/// @brief Fills the 24-bit `out` from RLE8/RLE4/RLE24 data. Pixels the data skips keep what
/// `out` holds. Never writes outside the bitmap; stops at the end of the data.
void decodeRle(const Layout& layout, TBigBitmap& out);

} // namespace qv::bmp

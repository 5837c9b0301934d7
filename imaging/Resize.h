#pragma once
// Shrinking filters for pool copies and thumbnails. They work on 32-bit pixels; a 24-bit
// source is converted to 32 bits first. All four bytes of a pixel are resampled alike.
#include "TBigBitmap.h"
#include <cstdint>

namespace qv {

/// @brief One channel of the bilinear blend with 8-bit fractions fx, fy (0..255):
/// p00 + floor((floor(fx*fy*(p00+p11-p01-p10)/256) + (p01-p00)*fx + (p10-p00)*fy)/256), kept modulo 256.
uint8_t blendChannel(int p00, int p01, int p10, int p11, int fx, int fy);

/// @brief Nearest-pixel resample to w x h (16.16 steps of w*65535/w'); null when out of memory.
TBigBitmap resizeNearest(const TBigBitmap& src, int w, int h);
/// @brief Bilinear resample to w x h with 8.8 steps of w*255/w' (the reference filter).
TBigBitmap resizeBilinear(const TBigBitmap& src, int w, int h);
/// @brief The same bilinear resample with SSE2, two pixels (eight channels) at a time: the same
/// sampling positions, weights and rounding, so the result equals resizeBilinear exactly.
TBigBitmap resizeBilinearMMX(const TBigBitmap& src, int w, int h);

/// @brief Shrinks in place so that the longer side becomes about L (c = L / long side as a
/// 32-bit float, new sides trunc(side * c), at least 1). Never enlarges: with c >= 1, an empty
/// bitmap or L <= 0 the bitmap is left untouched. False only when memory ran out (bitmap kept).
bool fitLongSide(TBigBitmap& bitmap, int L, bool nearest, bool useSimd);

} // namespace qv

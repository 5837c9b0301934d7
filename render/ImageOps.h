#pragma once
// Pixel operations for drawing image items: colour replacements before a picture is keyed or
// a photo is turned for the printer, and drawing with a transparent key colour.
#include "TBigBitmap.h"
#include <QRgb>

class QPainter;

namespace qv {

/// Transparent key of pictures and the default keyColor of image items.
constexpr QRgb kKeyGreen = 0x00FF00;
/// White guard: pure white of a photo becomes this before turning, so that it still prints.
constexpr QRgb kWhiteOne = 0xFEFFFF;

/// @brief 0x00BBGGRR item colour (a palette-relative flag in the top byte is ignored) as 0x00RRGGBB.
constexpr QRgb rgbOfItemColor(uint32_t c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

/// @brief The bitmap as 32-bit RGB, ready to draw; 24-bit rows are widened in one pass (Qt's
/// general converter is several times slower on them, which a page switch feels).
QImage screenImage(const TBigBitmap& bitmap);
/// @brief Every pixel (255, 255, 255) becomes (254, 255, 255). 24- or 32-bit bitmaps.
void ChangeWhiteToWhiteOne(TBigBitmap& bitmap);
/// @brief Every pixel (150, 150, 150) or (252, 245, 240) becomes key green. 24- or 32-bit bitmaps.
void ChangeToumeiColor2ToToumeicolor(TBigBitmap& bitmap);

/// @brief Rows top..top+count-1 of `source` as premultiplied ARGB, pixels of colour `key`
/// (0x00RRGGBB) fully transparent and all others opaque; null when out of memory.
QImage keyedRows(const QImage& source, QRgb key, int top, int count);
/// @brief A picture ready to draw: its key variants turned into key green, then every pixel
/// equal to `key` transparent. Equals drawing the key mask with AND and the colour copy with OR.
QImage keyedPicture(const TBigBitmap& picture, QRgb key);
/// @brief Draws `source` unscaled with its top-left at `at`, leaving out pixels of colour `key`.
/// Works in bands, so that a printer-sized picture needs no second full-size copy.
void drawKeyed(QPainter& painter, const QImage& source, QPoint at, QRgb key);

} // namespace qv

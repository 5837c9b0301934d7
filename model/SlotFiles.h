#pragma once
// Slot pictures of a page folder moved between file and memory without a copy in between:
// the rows of a 24-bit bottom-up BMP are read straight into the bitmap and written straight
// from it. Files and bitmaps of any other form take the full BMP codec.
#include "TBigBitmap.h"
#include <functional>

namespace qv {

/// @brief Reads a slot file; a plain 24-bit bottom-up BMP lands directly in the bitmap rows,
/// those of the picture spareFor gives for its size when that is not null (memory reused).
ImageLoadResult readSlotBitmap(const QString& path, const std::function<TBigBitmap(QSize)>& spareFor = {});
/// @brief Writes a bitmap as a 24-bit BMP under a temporary name renamed into place.
bool writeSlotBitmap(const TBigBitmap& bitmap, const QString& path);

} // namespace qv

#pragma once
// Names of the photo pool's files in the work folder and the JPEG loading rules for them.
#include "PictureFile.h"
#include <QString>

namespace qv {

/// @brief img/n_.jpg for a photo, img/n.bmp for a picture.
QString poolCopyPath(const QString& imgFolder, int index, bool isPicture);
/// @brief img/tn_.bmp for a photo, img/tn.bmp for a picture.
QString poolThumbPath(const QString& imgFolder, int index, bool isPicture);

/// @brief Decode scale for a JPEG of w x h: 8 when (w+h)/2 > 1280, 4 above 640, 2 above 320, else 1.
int jpegScaleFor(int width, int height);
/// @brief Decodes a JPEG at the scale jpegScaleFor chooses (for the screen), 24 or 32 bits.
ImageLoadResult loadJpegScaled(const QString& path, int bitsPerPixel = 24);
/// @brief Decodes a JPEG at full size, or at half size when width + height > 4096.
ImageLoadResult loadJpegFull(const QString& path, int bitsPerPixel = 24);
/// @brief Decode scale of loadJpegFull: 2 when width + height > 4096, else 1.
int jpegFullScaleFor(int width, int height);
/// @brief The requests of loadJpegScaled and loadJpegFull, for bytes already read.
PictureRequest jpegScreenRequest(int bitsPerPixel = 24);
PictureRequest jpegFullRequest(int bitsPerPixel = 24);

} // namespace qv

#pragma once
// JPEG decoding and encoding through libjpeg-turbo's libjpeg API.
#include "TBigBitmap.h"
#include <QByteArray>

namespace qv {

struct JpegHeader {
    int width = 0;
    int height = 0;
    int components = 0;
    QString error; // empty when the header was read
};

/// @brief Reads only the header (size and components) of JPEG bytes or a file.
JpegHeader readJpegHeader(const QByteArray& bytes);
JpegHeader readJpegHeaderFile(const QString& path);

/// @brief Decodes at 1/scaleDenom of full size (1, 2, 4 or 8) by DCT scaling.
/// Grayscale and CMYK (also Adobe-inverted) come out as RGB; bitsPerPixel is 24 or 32.
/// An image whose output would exceed kMaxBitmapPixels is refused before pixel memory is taken.
ImageLoadResult decodeJpeg(const QByteArray& bytes, int scaleDenom = 1, int bitsPerPixel = 24);
ImageLoadResult decodeJpegFile(const QString& path, int scaleDenom = 1, int bitsPerPixel = 24);

/// @brief Encodes a baseline 24-bit JPEG at the given quality (1..100).
QByteArray encodeJpeg(const TBigBitmap& bitmap, int quality, QString* error = nullptr);
bool writeJpegFile(const TBigBitmap& bitmap, const QString& path, int quality, QString* error = nullptr);

} // namespace qv

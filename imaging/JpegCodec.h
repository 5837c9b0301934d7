#pragma once
// JPEG decoding and encoding through libjpeg-turbo's libjpeg API.
#include "TBigBitmap.h"
#include <QByteArray>
#include <functional>

namespace qv {

struct JpegHeader {
    int width = 0;
    int height = 0;
    int components = 0;
    QString error; // empty when the header was read
};

/// Chooses the decode scale (1, 2, 4 or 8) from the full width and height.
using JpegScaleRule = std::function<int(int width, int height)>;

/// @brief Reads only the header (size and components) of JPEG bytes or a file.
JpegHeader readJpegHeader(const QByteArray& bytes);
JpegHeader readJpegHeaderFile(const QString& path);

/// @brief Decodes at 1/scaleDenom of full size (1, 2, 4 or 8) by DCT scaling.
/// Grayscale and CMYK (also Adobe-inverted) come out as RGB; bitsPerPixel is 24 or 32.
/// Refused before pixel memory is taken: an output over the picture budget, a peak (bytes,
/// libjpeg's buffers, bitmap) over it, and a header claiming more pixels than its data can hold.
ImageLoadResult decodeJpeg(const QByteArray& bytes, int scaleDenom = 1, int bitsPerPixel = 24);
/// @brief The same at the scale `scale` chooses from the full size.
ImageLoadResult decodeJpeg(const QByteArray& bytes, const JpegScaleRule& scale, int bitsPerPixel);
/// @brief Reads the file within the budget (see PictureFile.h) and decodes it.
ImageLoadResult decodeJpegFile(const QString& path, int scaleDenom = 1, int bitsPerPixel = 24);
/// @brief What decodeJpeg would take and whether it would refuse, from the header alone.
/// `bytes` may be the beginning of a file of `fileSize` bytes (0: the bytes are the whole file).
PictureProbe probeJpeg(const QByteArray& bytes, qint64 fileSize, const JpegScaleRule& scale, int bitsPerPixel);

/// @brief Encodes a baseline 24-bit JPEG at the given quality (1..100).
QByteArray encodeJpeg(const TBigBitmap& bitmap, int quality, QString* error = nullptr);
bool writeJpegFile(const TBigBitmap& bitmap, const QString& path, int quality, QString* error = nullptr);

} // namespace qv

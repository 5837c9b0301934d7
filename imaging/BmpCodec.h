#pragma once
// BMP reading (every common variety) and 24-bit BMP writing.
#include "TBigBitmap.h"
#include <QByteArray>

namespace qv {

/// @brief Decodes BMP bytes: 1/2/4/8-bit palettes, RLE4/RLE8, 16/24/32 bits with or without
/// bit fields, OS/2 and Windows V3/V4/V5 headers, bottom-up and top-down rows.
/// Gives a 24-bit bitmap; damaged input gives an error, never a crash or an unbounded allocation.
ImageLoadResult decodeBmp(const QByteArray& bytes);
/// @brief Reads the file within the budget (see PictureFile.h) and decodes it.
ImageLoadResult readBmpFile(const QString& path);
/// @brief What decodeBmp would take and whether it would refuse, from the headers alone.
/// `bytes` may be the beginning of a file of `fileSize` bytes (0: the bytes are the whole file).
PictureProbe probeBmp(const QByteArray& bytes, qint64 fileSize);

/// @brief The 54 bytes of file and info header that encodeBmp24 writes before the rows.
QByteArray bmp24Header(int width, int height);
/// @brief Encodes a bitmap as a bottom-up 24-bit BMP with a 40-byte info header.
QByteArray encodeBmp24(const TBigBitmap& bitmap);
/// @brief Writes encodeBmp24 to a file; false (and a reason) on any failure.
bool writeBmpFile(const TBigBitmap& bitmap, const QString& path, QString* error = nullptr);

} // namespace qv

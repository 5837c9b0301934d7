#pragma once
// Generated picture files for the tests: JPEG files made with libjpeg's compressor, BMP files
// written byte by byte, and hostile files of both (forged sizes, endless scans, RLE bombs).
#include <QByteArray>
#include <cstdio>
#include <functional>
#include <jpeglib.h>

namespace qv::test {

struct JpegSpec {
    int width = 16;
    int height = 16;
    J_COLOR_SPACE input = JCS_RGB;  // what fillRow writes: JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
    J_COLOR_SPACE stored = JCS_YCbCr; // colour space inside the file
    bool adobeMarker = true;          // only for CMYK/YCCK
    bool progressive = false;
    int quality = 90;
};

/// @brief Encodes the rows given by fillRow(y, row) one at a time (never the whole image).
QByteArray makeJpeg(const JpegSpec& spec, const std::function<void(int y, unsigned char* row)>& fillRow);
/// @brief A uniform image of one colour (components as spec.input has them).
QByteArray makeUniformJpeg(const JpegSpec& spec, const unsigned char* colour);
/// @brief Offset of the first SOFn marker (0xFF, 0xC0..0xCF but not C4/C8/CC), or -1.
int findFrameMarker(const QByteArray& jpeg);
/// @brief Rewrites the frame header's width and height.
QByteArray withFrameSize(QByteArray jpeg, int width, int height);
/// @brief Repeats the last scan (SOS to EOI) `times` more times.
QByteArray withRepeatedLastScan(const QByteArray& jpeg, int times);

/// @brief A BMP with a 40-byte info header around the given palette (B,G,R,0 entries) and
/// pixel data.
QByteArray makeBmp(qint32 width, qint32 height, int bitCount, int compression, const QByteArray& palette,
                   const QByteArray& pixels);

// Hostile files: small files that claim large pictures.

/// @brief A 16 x 16 grey JPEG (about 300 bytes) whose header claims width x height.
QByteArray forgedJpeg(int width, int height, bool progressive);
/// @brief A forged progressive JPEG whose last scan comes `scans` times in all.
QByteArray manyScansJpeg(int width, int height, int scans);
/// @brief An 8-bit RLE BMP of one colour, every row runs of 255 pixels: about 160 bytes a row
/// for 20000 pixels, every pixel honestly described.
QByteArray runsBmp(int width, int height);

} // namespace qv::test

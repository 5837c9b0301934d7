#pragma once
// Generated JPEG files for the codec tests, made with libjpeg's compressor.
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

} // namespace qv::test

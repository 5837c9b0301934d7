#include "PictureTestFiles.h"
#include <QtEndian>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace qv::test {

QByteArray makeJpeg(const JpegSpec& spec, const std::function<void(int, unsigned char*)>& fillRow)
{
    jpeg_compress_struct ci;
    jpeg_error_mgr err;
    ci.err = jpeg_std_error(&err);
    jpeg_create_compress(&ci);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&ci, &buffer, &size);
    ci.image_width = JDIMENSION(spec.width);
    ci.image_height = JDIMENSION(spec.height);
    ci.input_components = spec.input == JCS_GRAYSCALE ? 1 : spec.input == JCS_CMYK ? 4 : 3;
    ci.in_color_space = spec.input;
    jpeg_set_defaults(&ci);
    jpeg_set_colorspace(&ci, spec.stored);
    if (spec.stored == JCS_CMYK || spec.stored == JCS_YCCK)
        ci.write_Adobe_marker = spec.adobeMarker;
    jpeg_set_quality(&ci, spec.quality, TRUE);
    if (spec.progressive)
        jpeg_simple_progression(&ci);
    jpeg_start_compress(&ci, TRUE);
    std::vector<unsigned char> row(size_t(spec.width) * ci.input_components);
    JSAMPROW rows[1] = {row.data()};
    for (int y = 0; y < spec.height; ++y) {
        fillRow(y, row.data());
        jpeg_write_scanlines(&ci, rows, 1);
    }
    jpeg_finish_compress(&ci);
    jpeg_destroy_compress(&ci);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

QByteArray makeUniformJpeg(const JpegSpec& spec, const unsigned char* colour)
{
    const int n = spec.input == JCS_GRAYSCALE ? 1 : spec.input == JCS_CMYK ? 4 : 3;
    return makeJpeg(spec, [&](int, unsigned char* row) {
        for (int x = 0; x < spec.width; ++x)
            for (int c = 0; c < n; ++c)
                row[x * n + c] = colour[c];
    });
}

int findFrameMarker(const QByteArray& jpeg)
{
    int i = 2;
    while (i + 4 <= jpeg.size()) {
        if (uchar(jpeg[i]) != 0xFF)
            return -1;
        const int m = uchar(jpeg[i + 1]);
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC)
            return i;
        i += 2 + qFromBigEndian<quint16>(jpeg.constData() + i + 2);
    }
    return -1;
}

QByteArray withFrameSize(QByteArray jpeg, int width, int height)
{
    const int sof = findFrameMarker(jpeg);
    if (sof >= 0) {
        qToBigEndian<quint16>(quint16(height), jpeg.data() + sof + 5);
        qToBigEndian<quint16>(quint16(width), jpeg.data() + sof + 7);
    }
    return jpeg;
}

QByteArray withRepeatedLastScan(const QByteArray& jpeg, int times)
{
    const int sos = jpeg.lastIndexOf(QByteArray("\xFF\xDA", 2));
    const int eoi = jpeg.lastIndexOf(QByteArray("\xFF\xD9", 2));
    if (sos < 0 || eoi < sos)
        return jpeg;
    const QByteArray scan = jpeg.mid(sos, eoi - sos);
    return jpeg.left(eoi) + scan.repeated(times) + jpeg.mid(eoi);
}

QByteArray makeBmp(qint32 width, qint32 height, int bitCount, int compression, const QByteArray& palette,
                   const QByteArray& pixels)
{
    QByteArray b(54, '\0');
    b[0] = 'B';
    b[1] = 'M';
    qToLittleEndian<quint32>(54 + palette.size() + pixels.size(), b.data() + 2);
    qToLittleEndian<quint32>(54 + palette.size(), b.data() + 10);
    qToLittleEndian<quint32>(40, b.data() + 14);
    qToLittleEndian<qint32>(width, b.data() + 18);
    qToLittleEndian<qint32>(height, b.data() + 22);
    qToLittleEndian<quint16>(1, b.data() + 26);
    qToLittleEndian<quint16>(bitCount, b.data() + 28);
    qToLittleEndian<quint32>(compression, b.data() + 30);
    qToLittleEndian<quint32>(pixels.size(), b.data() + 34);
    qToLittleEndian<quint32>(palette.size() / 4, b.data() + 46);
    return b + palette + pixels;
}

QByteArray forgedJpeg(int width, int height, bool progressive)
{
    JpegSpec spec;
    spec.input = JCS_GRAYSCALE;
    spec.stored = JCS_GRAYSCALE;
    spec.progressive = progressive;
    const unsigned char grey[1] = {100};
    return withFrameSize(makeUniformJpeg(spec, grey), width, height);
}

QByteArray manyScansJpeg(int width, int height, int scans)
{
    return withRepeatedLastScan(forgedJpeg(width, height, true), scans - 1);
}

QByteArray runsBmp(int width, int height)
{
    QByteArray row;
    for (int left = width; left > 0; left -= 255)
        row.append(char(std::min(left, 255))).append('\1');
    row.append('\0').append('\0'); // end of line
    QByteArray palette(8, '\0');
    palette[4] = char(50), palette[5] = char(100), palette[6] = char(200);
    return makeBmp(width, height, 8, 1, palette, row.repeated(height) + QByteArray("\0\1", 2));
}

} // namespace qv::test

#include "JpegCodec.h"
#include "JpegSupport.h"
#include <algorithm>

namespace qv {
namespace {

constexpr int kRowBatch = 16;

// Everything an encode changes after setjmp, kept out of the setjmp frame (see JpegDecode.cpp).
struct EncodeSession {
    jpeg_compress_struct cinfo;
    jpeg::ErrorManager err;
    jpeg::ByteArrayDestination dest;
    QByteArray out;
    bool created = false;
};

bool run(EncodeSession& s, const TBigBitmap& bitmap, int quality)
{
    jpeg_compress_struct& ci = s.cinfo;
    if (setjmp(s.err.jump))
        return false;
    jpeg_create_compress(&ci);
    s.created = true;
    jpeg::installDestination(&ci, s.dest, s.out);
    ci.image_width = JDIMENSION(bitmap.width());
    ci.image_height = JDIMENSION(bitmap.height());
    // The bitmap's own byte order goes in as it is: no conversion pass.
    const bool bgrx = bitmap.bitsPerPixel() == 32;
    ci.input_components = bgrx ? 4 : 3;
    ci.in_color_space = bgrx ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&ci); // YCbCr, 4:2:0, Huffman tables of the standard: baseline
    jpeg_set_quality(&ci, quality, TRUE);
    jpeg_start_compress(&ci, TRUE);
    JSAMPROW rows[kRowBatch];
    const int h = bitmap.height();
    while (int(ci.next_scanline) < h) {
        const int y = int(ci.next_scanline);
        const int n = std::min(kRowBatch, h - y);
        for (int i = 0; i < n; ++i)
            rows[i] = const_cast<JSAMPROW>(bitmap.scanLine(y + i)); // libjpeg only reads them
        jpeg_write_scanlines(&ci, rows, JDIMENSION(n));
    }
    jpeg_finish_compress(&ci);
    return true;
}

} // namespace

QByteArray encodeJpeg(const TBigBitmap& bitmap, int quality, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return QByteArray();
    };
    if (bitmap.isNull())
        return fail(QStringLiteral("no bitmap to encode"));
    EncodeSession s;
    jpeg::installErrorManager(reinterpret_cast<j_common_ptr>(&s.cinfo), s.err);
    const bool ok = run(s, bitmap, std::clamp(quality, 1, 100));
    if (s.created)
        jpeg_destroy_compress(&s.cinfo);
    if (!ok)
        return fail(QString::fromLocal8Bit(s.err.message));
    return s.out;
}

} // namespace qv

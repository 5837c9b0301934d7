// JPEG header reading, the probe that decides before a decode, and decoding at every scale the
// pool uses.
#include "FuzzSupport.h"
#include "JpegCodec.h"
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qv::fuzz::limitPictures();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = qv::fuzz::bytesOf(data, size);
    const qv::JpegHeader h = qv::readJpegHeader(bytes);
    if (!h.error.isEmpty())
        return 0;
    // Small pictures at full size, larger ones at 1/4 or 1/8: every scale takes the same
    // decoder paths, and large full-size decodes would only slow the run down.
    const qint64 pixels = qint64(h.width) * h.height;
    const int scale = pixels > 4'000'000 ? 8 : pixels > 250'000 ? (size % 2 ? 8 : 4) : (size % 2 ? 1 : 2);
    const auto rule = [scale](int, int) { return scale; };
    (void)qv::probeJpeg(bytes.left(qsizetype(size / 2)), qint64(size), rule, 24); // a file's head
    const qv::ImageLoadResult r = qv::decodeJpeg(bytes, scale, size % 3 ? 24 : 32);
    // What decodes, its probe allows, with a peak that holds the bitmap.
    if (r.ok()) {
        const qv::PictureProbe p = qv::probeJpeg(bytes, 0, rule, size % 3 ? 24 : 32);
        if (!p.ok() || p.peakBytes < qint64(r.bitmap.width()) * r.bitmap.height() * (r.bitmap.bitsPerPixel() / 8))
            std::abort();
    }
    return 0;
}

// BMP decoding, and the header probe that decides before it.
#include "BmpCodec.h"
#include "FuzzSupport.h"
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qv::fuzz::limitPictures();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = qv::fuzz::bytesOf(data, size);
    const qv::ImageLoadResult r = qv::decodeBmp(bytes);
    // The probe of a file's head, as a read before the whole file takes, may not crash.
    (void)qv::probeBmp(bytes.left(qsizetype(size / 2)), qint64(size));
    if (!r.ok())
        return 0;
    // What decodes, its probe allows, with a peak that holds the bitmap.
    const qv::PictureProbe p = qv::probeBmp(bytes, 0);
    if (!p.ok() || p.peakBytes < qint64(r.bitmap.width()) * r.bitmap.height() * 3)
        std::abort();
    (void)qv::encodeBmp24(r.bitmap); // a decoded picture must be writable again
    return 0;
}

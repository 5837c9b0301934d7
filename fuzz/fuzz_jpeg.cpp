// JPEG header reading and decoding at every scale the pool uses.
#include "FuzzSupport.h"
#include "JpegCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = qv::fuzz::bytesOf(data, size);
    const qv::JpegHeader h = qv::readJpegHeader(bytes);
    if (!h.error.isEmpty())
        return 0;
    // Small inputs at full size; everything at 1/8 keeps the run fast.
    const int scale = (qint64(h.width) * h.height > 4'000'000) ? 8 : (size % 2 ? 1 : 4);
    (void)qv::decodeJpeg(bytes, scale, size % 3 ? 24 : 32);
    return 0;
}

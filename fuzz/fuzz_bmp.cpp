// BMP decoding.
#include "BmpCodec.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qv::fuzz::limitPictures();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const qv::ImageLoadResult r = qv::decodeBmp(qv::fuzz::bytesOf(data, size));
    if (r.ok()) // a decoded picture must be writable again
        (void)qv::encodeBmp24(r.bitmap);
    return 0;
}

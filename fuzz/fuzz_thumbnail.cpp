// What the photo browser's list does with a file it shows: the header probe, the decode at
// the JPEG decoder's reduced scale, the EXIF turn and the BMP thumbnail, on the file's bytes,
// read both as a JPEG and as a BMP (the list goes by the name, not the content).
#include "FuzzSupport.h"
#include "JpegCodec.h"
#include "Thumbnailer.h"
#include <cstdlib>

namespace {
constexpr int kBox = 84; // the list's thumbnail size
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qv::fuzz::limitPictures();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = qv::fuzz::bytesOf(data, size);
    for (bool jpeg : {true, false}) {
        const qv::ThumbResult r = qv::thumbnailOfBytes(bytes, jpeg, kBox);
        if (r.outcome != qv::ThumbOutcome::Ready)
            continue;
        const QImage& img = r.image;
        if (img.isNull() || img.width() > kBox || img.height() > kBox || img.format() != QImage::Format_RGB32)
            std::abort();
        if (size % 4 == 0) // kept in the disk cache as a JPEG
            (void)qv::encodeJpeg(qv::TBigBitmap::fromImage(img), qv::kThumbJpegQuality);
    }
    return 0;
}

#include "JpegCodec.h"
#include "JpegDecode.h"
#include "PictureFile.h"
#include "ReplacingFile.h"

namespace qv {
namespace {

JpegHeader toHeader(const jpeg::DecodeOutcome& o)
{
    JpegHeader h;
    h.error = o.error;
    if (h.error.isEmpty()) {
        h.width = o.sourceWidth;
        h.height = o.sourceHeight;
        h.components = o.components;
    }
    return h;
}

ImageLoadResult toResult(jpeg::DecodeOutcome&& o)
{
    ImageLoadResult r;
    r.error = std::move(o.error);
    if (r.error.isEmpty())
        r.bitmap = TBigBitmap::fromImage(o.image, o.image.depth());
    return r;
}

jpeg::DecodeRequest requestFor(const QByteArray& bytes, int bitsPerPixel, jpeg::Mode mode)
{
    jpeg::DecodeRequest rq;
    rq.data = reinterpret_cast<const unsigned char*>(bytes.constData());
    rq.size = size_t(bytes.size());
    rq.bitsPerPixel = bitsPerPixel;
    rq.mode = mode;
    return rq;
}

} // namespace

JpegHeader readJpegHeader(const QByteArray& bytes) { return toHeader(jpeg::decode(requestFor(bytes, 24, jpeg::Mode::Header))); }

JpegHeader readJpegHeaderFile(const QString& path)
{
    PictureBytes in = readPictureHead(path);
    // Headers longer than the head (large colour profiles) are read from the whole file.
    if (in.ok() && in.bytes.size() < in.fileSize && !readJpegHeader(in.bytes).error.isEmpty())
        in = readPictureFile(path);
    JpegHeader h = in.ok() ? readJpegHeader(in.bytes) : JpegHeader{};
    if (!in.ok())
        h.error = in.error;
    return h;
}

ImageLoadResult decodeJpeg(const QByteArray& bytes, int scaleDenom, int bitsPerPixel)
{
    jpeg::DecodeRequest rq = requestFor(bytes, bitsPerPixel, jpeg::Mode::Decode);
    rq.scaleDenom = scaleDenom;
    return toResult(jpeg::decode(rq));
}

ImageLoadResult decodeJpeg(const QByteArray& bytes, const JpegScaleRule& scale, int bitsPerPixel)
{
    jpeg::DecodeRequest rq = requestFor(bytes, bitsPerPixel, jpeg::Mode::Decode);
    rq.scaleFor = scale;
    return toResult(jpeg::decode(rq));
}

ImageLoadResult decodeJpegFile(const QString& path, int scaleDenom, int bitsPerPixel)
{
    PictureRequest rq;
    rq.scaleFor = [scaleDenom](int, int) { return scaleDenom; };
    rq.bitsPerPixel = bitsPerPixel;
    return loadPicture(path, PictureFormat::Jpeg, rq);
}

PictureProbe probeJpeg(const QByteArray& bytes, qint64 fileSize, const JpegScaleRule& scale, int bitsPerPixel)
{
    jpeg::DecodeRequest rq = requestFor(bytes, bitsPerPixel, jpeg::Mode::Probe);
    rq.fileSize = fileSize;
    rq.scaleFor = scale;
    const jpeg::DecodeOutcome o = jpeg::decode(rq);
    return {o.sourceWidth, o.sourceHeight, o.scaleDenom, o.outputWidth, o.outputHeight, o.peakBytes, o.error,
            o.endedInHeader && qint64(bytes.size()) < fileSize};
}

bool writeJpegFile(const TBigBitmap& bitmap, const QString& path, int quality, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QString why;
    const QByteArray bytes = encodeJpeg(bitmap, quality, &why);
    if (bytes.isEmpty())
        return fail(why.isEmpty() ? QStringLiteral("JPEG encoding failed") : why);
    // Written to a temporary file and renamed at the end: a failed write leaves no damaged file.
    ReplacingFile f(path);
    if (!f.open())
        return fail(QStringLiteral("cannot create %1: %2").arg(path, f.errorString()));
    if (!f.write(bytes.constData(), bytes.size()) || !f.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
    return true;
}

} // namespace qv

#include "JpegCodec.h"
#include "JpegDecode.h"
#include <QFile>
#include "ReplacingFile.h"
#include <limits>

namespace qv {
namespace {

// Gives the decode the file's bytes, mapped into memory where possible (no copy).
jpeg::DecodeOutcome decodeFile(const QString& path, jpeg::DecodeRequest request)
{
    jpeg::DecodeOutcome out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        out.error = QStringLiteral("cannot open %1: %2").arg(path, f.errorString());
        return out;
    }
    const qint64 size = f.size();
    if (size > std::numeric_limits<qint32>::max()) {
        out.error = QStringLiteral("%1 is too large for a JPEG file").arg(path);
        return out;
    }
    request.size = size_t(size);
    if (uchar* mapped = size > 0 ? f.map(0, size) : nullptr) {
        request.data = mapped;
        out = jpeg::decode(request);
        f.unmap(mapped);
        return out;
    }
    const QByteArray bytes = f.readAll();
    if (bytes.size() != size) {
        out.error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return out;
    }
    request.data = reinterpret_cast<const unsigned char*>(bytes.constData());
    return jpeg::decode(request);
}

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

jpeg::DecodeRequest requestFor(const QByteArray& bytes, int scaleDenom, int bitsPerPixel, bool headerOnly)
{
    jpeg::DecodeRequest rq;
    rq.data = reinterpret_cast<const unsigned char*>(bytes.constData());
    rq.size = size_t(bytes.size());
    rq.scaleDenom = scaleDenom;
    rq.bitsPerPixel = bitsPerPixel;
    rq.headerOnly = headerOnly;
    return rq;
}

} // namespace

JpegHeader readJpegHeader(const QByteArray& bytes) { return toHeader(jpeg::decode(requestFor(bytes, 1, 24, true))); }

JpegHeader readJpegHeaderFile(const QString& path) { return toHeader(decodeFile(path, requestFor({}, 1, 24, true))); }

ImageLoadResult decodeJpeg(const QByteArray& bytes, int scaleDenom, int bitsPerPixel)
{
    return toResult(jpeg::decode(requestFor(bytes, scaleDenom, bitsPerPixel, false)));
}

ImageLoadResult decodeJpegFile(const QString& path, int scaleDenom, int bitsPerPixel)
{
    return toResult(decodeFile(path, requestFor({}, scaleDenom, bitsPerPixel, false)));
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

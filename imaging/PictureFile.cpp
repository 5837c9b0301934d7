#include "PictureFile.h"
#include "BmpCodec.h"
#include "ExifOrientation.h"
#include "FileNames.h"
#include "JpegCodec.h"
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {
namespace {

// An open file: closed when it goes.
struct OpenFile {
    int fd = -1;
    qint64 size = 0;
    OpenFile() = default;
    OpenFile(const OpenFile&) = delete;
    ~OpenFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

QString systemError(const QString& what, const QString& path)
{
    return QStringLiteral("%1 %2: %3").arg(what, displayFileName(path), QString::fromLocal8Bit(std::strerror(errno)));
}

// Opens without waiting (a pipe named like a photo would block the open) and only a regular file.
bool openPicture(const QString& path, OpenFile& f, PictureBytes& out)
{
    f.fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat st {};
    if (f.fd < 0 || ::fstat(f.fd, &st) != 0) {
        out.missing = errno == ENOENT || errno == ENOTDIR;
        out.error = systemError(QStringLiteral("cannot open"), path);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        out.error = QStringLiteral("%1 is not a regular file").arg(displayFileName(path));
        return false;
    }
    out.fileSize = f.size = st.st_size;
    return true;
}

// Reads on until `bytes` holds `upTo` bytes or the file ends (it may have shrunk meanwhile).
bool readUpTo(const OpenFile& f, const QString& path, qint64 upTo, PictureBytes& out)
{
    qint64 have = out.bytes.size();
    out.bytes.resize(upTo);
    while (have < upTo) {
        const ssize_t n = ::read(f.fd, out.bytes.data() + have, size_t(upTo - have));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            out.error = systemError(QStringLiteral("cannot read"), path);
            out.bytes.clear();
            return false;
        }
        if (n == 0)
            break;
        have += n;
    }
    out.bytes.resize(have);
    return true;
}

bool fitsAlone(const OpenFile& f, const QString& path, PictureBytes& out)
{
    if (peakFits(f.size))
        return true;
    out.error = QStringLiteral("%1 is too large (%2 MiB) for the picture budget").arg(displayFileName(path)).arg(f.size >> 20);
    return false;
}

int fullSize(int, int) { return 1; }

} // namespace

PictureFormat pictureFormatOfName(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return PictureFormat::Jpeg;
    if (ext == QLatin1String("bmp"))
        return PictureFormat::Bmp;
    return PictureFormat::Unknown;
}

PictureBytes readPictureFile(const QString& path)
{
    PictureBytes out;
    OpenFile f;
    if (openPicture(path, f, out) && fitsAlone(f, path, out))
        readUpTo(f, path, f.size, out);
    return out;
}

PictureBytes readPictureHead(const QString& path, qint64 bytes)
{
    PictureBytes out;
    OpenFile f;
    if (openPicture(path, f, out))
        readUpTo(f, path, std::min(f.size, bytes), out);
    return out;
}

PictureProbe probePicture(const QByteArray& bytes, qint64 fileSize, PictureFormat format, const PictureRequest& rq)
{
    PictureProbe p;
    switch (format) {
    case PictureFormat::Jpeg:
        p = probeJpeg(bytes, fileSize, rq.scaleFor ? rq.scaleFor : JpegScaleRule(fullSize), rq.bitsPerPixel);
        break;
    case PictureFormat::Bmp:
        p = probeBmp(bytes, fileSize);
        break;
    case PictureFormat::Unknown:
        p.error = QStringLiteral("not a picture format the program reads");
        break;
    }
    if (!p.ok())
        return p;
    const qint64 pixels = qint64(p.outputWidth) * p.outputHeight;
    if (rq.maxPixels > 0 && pixels > rq.maxPixels) {
        p.error = QStringLiteral("picture too large for this use (%1 x %2 pixels)").arg(p.outputWidth).arg(p.outputHeight);
        return p;
    }
    p.peakBytes += pixels * rq.workBytesPerPixel;
    // Turning makes a second bitmap beside the first.
    if (rq.upright && format == PictureFormat::Jpeg && orientationTurns(readExifOrientation(bytes)))
        p.peakBytes += pixels * (rq.bitsPerPixel / 8);
    if (!peakFits(p.peakBytes))
        p.error = QStringLiteral("the picture needs %1 MiB, more than the picture budget").arg(p.peakBytes >> 20);
    return p;
}

ImageLoadResult decodePicture(const QByteArray& bytes, PictureFormat format, const PictureRequest& rq)
{
    const PictureProbe p = probePicture(bytes, 0, format, rq);
    if (!p.ok())
        return {TBigBitmap(), p.error};
    ImageLoadResult r = format == PictureFormat::Bmp ? decodeBmp(bytes) : decodeJpeg(bytes, rq.scaleFor, rq.bitsPerPixel);
    if (r.ok() && rq.upright && format == PictureFormat::Jpeg
        && !applyExifOrientation(r.bitmap, readExifOrientation(bytes)))
        return {TBigBitmap(), QStringLiteral("not enough memory to turn the picture upright")};
    return r;
}

ImageLoadResult loadPicture(const QString& path, PictureFormat format, const PictureRequest& rq, SharedPictureBudget* shared,
                            SharedPictureBudget::Share* keep)
{
    PictureBytes in;
    OpenFile f;
    auto failed = [&](const QString& error) { return ImageLoadResult{TBigBitmap(), error, in.missing}; };
    if (!openPicture(path, f, in) || !fitsAlone(f, path, in) || !readUpTo(f, path, std::min(f.size, kPictureHeadBytes), in))
        return failed(in.error);
    PictureProbe p = probePicture(in.bytes, f.size, format, rq);
    // Headers longer than the head (big colour profiles, say) are read whole before the share
    // is taken: rare, and still within the file's own budget check above.
    if (p.needsMoreBytes) {
        if (!readUpTo(f, path, f.size, in))
            return failed(in.error);
        p = probePicture(in.bytes, f.size, format, rq);
    }
    if (!p.ok())
        return failed(p.error);
    SharedPictureBudget::Share share = shared ? shared->take(p.peakBytes) : SharedPictureBudget::Share();
    if (!readUpTo(f, path, f.size, in))
        return failed(in.error);
    ImageLoadResult r = decodePicture(in.bytes, format, rq);
    if (keep)
        *keep = std::move(share);
    return r;
}

} // namespace qv

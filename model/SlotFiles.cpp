#include "SlotFiles.h"
#include "BmpCodec.h"
#include "ReplacingFile.h"
#include <QFile>
#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace qv {
namespace {

constexpr int kHeaderSize = 54;
constexpr int kRowsPerCall = IOV_MAX;

uint32_t u32(const uchar* p) { return p[0] | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t u16(const uchar* p) { return uint16_t(p[0] | p[1] << 8); }

/// Width and height of a header this program writes (24 bits, bottom-up, rows right after
/// the header); 0 x 0 for any other form.
QSize plainBmp24(const uchar* h, qint64 fileSize)
{
    const int32_t w = int32_t(u32(h + 18)), ht = int32_t(u32(h + 22));
    const bool plain = h[0] == 'B' && h[1] == 'M' && u32(h + 10) == kHeaderSize && u32(h + 14) == 40
        && u16(h + 26) == 1 && u16(h + 28) == 24 && u32(h + 30) == 0 && w > 0 && ht > 0
        && qint64(w) * ht <= kMaxBitmapPixels;
    if (!plain)
        return {};
    const qint64 stride = (qint64(w) * 3 + 3) & ~qint64(3);
    return fileSize >= kHeaderSize + stride * ht ? QSize(w, ht) : QSize();
}

/// Moves every row of an image between the file (from offset kHeaderSize, bottom row first)
/// and memory, in gathered calls of at most IOV_MAX rows.
template <class Call, class Row>
bool transferRows(int fd, int height, qsizetype rowBytes, Call call, Row rowAt)
{
    std::vector<iovec> io;
    io.reserve(size_t(std::min(height, kRowsPerCall)));
    off_t offset = kHeaderSize;
    for (int first = 0; first < height; first += kRowsPerCall) {
        const int n = std::min(kRowsPerCall, height - first);
        io.clear();
        for (int i = 0; i < n; ++i)
            io.push_back({rowAt(height - 1 - (first + i)), size_t(rowBytes)});
        const ssize_t want = ssize_t(rowBytes) * n;
        if (call(fd, io.data(), n, offset) != want)
            return false;
        offset += want;
    }
    return true;
}

} // namespace

ImageLoadResult readSlotBitmap(const QString& path, const std::function<TBigBitmap(QSize)>& spareFor)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return readBmpFile(path); // gives the reason
    uchar header[kHeaderSize];
    struct stat sb;
    QSize size;
    if (::fstat(fd, &sb) == 0 && ::pread(fd, header, kHeaderSize, 0) == kHeaderSize)
        size = plainBmp24(header, sb.st_size);
    ImageLoadResult r;
    if (size.isEmpty()) {
        ::close(fd);
        return readBmpFile(path);
    }
    if (spareFor)
        r.bitmap = spareFor(size);
    if (r.bitmap.isNull() || r.bitmap.bitsPerPixel() != 24)
        r.bitmap = TBigBitmap::fromImage(QImage(size, QImage::Format_BGR888), 24);
    QImage& img = r.bitmap.image();
    const qsizetype stride = (qsizetype(size.width()) * 3 + 3) & ~qsizetype(3);
    const bool ok = !img.isNull() && img.bytesPerLine() == stride
        && transferRows(fd, size.height(), stride, ::preadv, [&](int y) { return static_cast<void*>(img.scanLine(y)); });
    ::close(fd);
    return ok ? r : readBmpFile(path);
}

bool writeSlotBitmap(const TBigBitmap& bitmap, const QString& path)
{
    const QImage& img = bitmap.image();
    const qsizetype rowBytes = qsizetype(bitmap.width()) * 3;
    // Rows with padding would carry whatever the padding bytes hold: the codec writes zeros.
    if (bitmap.isNull() || bitmap.bitsPerPixel() != 24 || rowBytes % 4 != 0 || img.bytesPerLine() != rowBytes)
        return writeBmpFile(bitmap, path);
    ReplacingFile f(path);
    const QByteArray header = bmp24Header(bitmap.width(), bitmap.height());
    if (!f.open() || ::pwrite(f.handle(), header.constData(), size_t(header.size()), 0) != header.size())
        return false;
    auto rowAt = [&](int y) { return const_cast<void*>(static_cast<const void*>(img.constScanLine(y))); };
    auto write = [](int fd, const iovec* io, int n, off_t at) { return ::pwritev(fd, io, n, at); };
    if (!transferRows(f.handle(), bitmap.height(), rowBytes, write, rowAt))
        return false;
    // Start the write-out now, on this thread: the rename that puts the file in place would
    // otherwise start it, on the thread that renames and one file after another.
    ::sync_file_range(f.handle(), 0, 0, SYNC_FILE_RANGE_WRITE);
    return f.commit();
}

} // namespace qv

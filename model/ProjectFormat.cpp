#include "ProjectFormat.h"
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

QString sectionTag(ProjectSection section)
{
    switch (section) {
    case ProjectSection::PageInfo: return QStringLiteral("PageInfo");
    case ProjectSection::PageImage: return QStringLiteral("PageImage");
    case ProjectSection::OriginalImage: return QStringLiteral("OriginalImage");
    case ProjectSection::Thumb: return QStringLiteral("Thumb");
    }
    return {};
}

namespace project {

QByteArray tagBytes(const char* text) { return QByteArray(text, qsizetype(std::strlen(text)) + 1); }
QByteArray versionTag() { return tagBytes("Version"); }
QByteArray sectionTagBytes(ProjectSection section) { return tagBytes(sectionTag(section).toLatin1().constData()); }

bool isSafeEntryName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.isNull())
            return false;
    }
    return true;
}

// --- StreamHash: four independent multiply-rotate lanes over 32-byte stripes ---

namespace {
constexpr quint64 kPrime1 = 0x9E3779B185EBCA87ull;
constexpr quint64 kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr quint64 kPrime3 = 0x165667B19E3779F9ull;
constexpr quint64 kPrime4 = 0x85EBCA77C2B2AE63ull;

inline quint64 rotl(quint64 v, int s) { return (v << s) | (v >> (64 - s)); }
inline quint64 mixWord(quint64 lane, quint64 word) { return rotl(lane + word * kPrime2, 31) * kPrime1; }
inline quint64 wordAt(const unsigned char* p) { return qFromLittleEndian<quint64>(p); }
} // namespace

void StreamHash::mixStripe(const unsigned char* stripe)
{
    for (int i = 0; i < 4; ++i)
        lanes[i] = mixWord(lanes[i], wordAt(stripe + 8 * i));
}

void StreamHash::add(const char* data, qint64 size)
{
    auto p = reinterpret_cast<const unsigned char*>(data);
    total += quint64(size);
    if (pendingBytes > 0) {
        const qint64 take = std::min<qint64>(size, 32 - pendingBytes);
        std::memcpy(pending + pendingBytes, p, size_t(take));
        pendingBytes += int(take);
        p += take;
        size -= take;
        if (pendingBytes < 32)
            return;
        mixStripe(pending);
        pendingBytes = 0;
    }
    for (; size >= 32; p += 32, size -= 32)
        mixStripe(p);
    std::memcpy(pending, p, size_t(size));
    pendingBytes = int(size);
}

quint64 StreamHash::result() const
{
    quint64 h = rotl(lanes[0], 1) + rotl(lanes[1], 7) + rotl(lanes[2], 12) + rotl(lanes[3], 18);
    h += total;
    int i = 0;
    for (; i + 8 <= pendingBytes; i += 8)
        h = rotl(h ^ mixWord(0, wordAt(pending + i)), 27) * kPrime1 + kPrime4;
    for (; i < pendingBytes; ++i)
        h = rotl(h ^ (pending[i] * kPrime3), 11) * kPrime1;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    return h ^ (h >> 32);
}

// --- ProjectInput ---

ProjectInput::ProjectInput() : ops(projectFileOps()) {}

ProjectInput::~ProjectInput()
{
    if (fd >= 0)
        ops.close(fd);
}

bool ProjectInput::open(const QString& path, QString* reason)
{
    fd = ops.openat(AT_FDCWD, QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ops.fstatat(fd, "", &st, AT_EMPTY_PATH) != 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *reason = QStringLiteral("not a regular file");
        return false;
    }
    fileSize = st.st_size;
    // A small file needs no buffer larger than itself.
    buffer.resize(size_t(std::clamp<qint64>(fileSize, 4096, kBufferBytes)));
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return true;
}

bool ProjectInput::fill()
{
    bufPos = 0;
    bufLen = 0;
    if (fd < 0)
        return false;
    for (;;) {
        const ssize_t r = ops.read(fd, buffer.data(), buffer.size());
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            ioError = true;
        if (r <= 0)
            return false;
        bufLen = r;
        return true;
    }
}

void ProjectInput::consume(qint64 size)
{
    if (hash)
        hash->add(buffer.data() + bufPos, size);
    bufPos += size;
    pos += size;
}

bool ProjectInput::read(char* out, qint64 size)
{
    return stream(size, [&out](const char* data, qint64 n) {
        std::memcpy(out, data, size_t(n));
        out += n;
        return true;
    });
}

bool ProjectInput::readInt(int32_t& value)
{
    char b[4];
    if (!read(b, 4))
        return false;
    value = qFromLittleEndian<int32_t>(b);
    return true;
}

bool ProjectInput::stream(qint64 size, const std::function<bool(const char*, qint64)>& sink)
{
    while (size > 0) {
        if (bufPos == bufLen && !fill())
            return false;
        const qint64 n = std::min(size, bufLen - bufPos);
        if (!sink(buffer.data() + bufPos, n))
            return false;
        consume(n);
        size -= n;
    }
    return true;
}

bool ProjectInput::skip(qint64 size)
{
    if (hash || size <= bufLen - bufPos)
        return stream(size, [](const char*, qint64) { return true; });
    if (size > remaining())
        return false;
    const qint64 target = pos + size;
    if (ops.lseek(fd, off_t(target), SEEK_SET) < 0) {
        ioError = true;
        return false;
    }
    pos = target;
    bufPos = bufLen = 0;
    return true;
}

} // namespace project
} // namespace qv

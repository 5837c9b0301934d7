#include "ThumbDiskCache.h"
#include <QFile>
#include <QtEndian>

namespace qv {
namespace {

constexpr char kMagic[8] = {'Q', 'V', 'T', 'H', 'U', 'M', 'B', '1'};
constexpr quint32 kMaxKeyBytes = 16 * 1024;
constexpr quint32 kMaxEntryBytes = 1 << 20;
constexpr qint64 kMaxFileBytes = 64LL << 20; // a larger file is not read (and not grown)

bool readField(QFile& f, quint32 limit, QByteArray* out)
{
    uchar len[4];
    if (f.read(reinterpret_cast<char*>(len), 4) != 4)
        return false;
    const quint32 n = qFromLittleEndian<quint32>(len);
    if (n > limit)
        return false;
    *out = f.read(n);
    return out->size() == qsizetype(n);
}

QByteArray field(const QByteArray& bytes)
{
    uchar len[4];
    qToLittleEndian<quint32>(quint32(bytes.size()), len);
    return QByteArray(reinterpret_cast<const char*>(len), 4) + bytes;
}

} // namespace

void ThumbDiskCache::open(const QString& file)
{
    path = file;
    entries.clear();
    goodBytes = 0;
    QFile f(file);
    if (file.isEmpty() || !f.open(QIODevice::ReadOnly))
        return;
    if (f.size() > kMaxFileBytes || f.read(sizeof kMagic) != QByteArray(kMagic, sizeof kMagic)) {
        path.clear(); // someone else's file, or one grown too large: leave it alone
        return;
    }
    goodBytes = f.pos();
    QByteArray key, jpeg;
    while (readField(f, kMaxKeyBytes, &key) && readField(f, kMaxEntryBytes, &jpeg)) {
        entries.insert(QString::fromUtf8(key), jpeg);
        goodBytes = f.pos();
    }
}

void ThumbDiskCache::add(const QString& key, const QByteArray& jpeg)
{
    if (path.isEmpty() || jpeg.isEmpty() || jpeg.size() > qsizetype(kMaxEntryBytes))
        return;
    entries.insert(key, jpeg);
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || f.size() > kMaxFileBytes)
        return;
    // A torn entry at the end (an interrupted write) goes before the new one is appended.
    if (f.size() != goodBytes && !f.resize(goodBytes))
        return;
    if (goodBytes == 0 && f.write(kMagic, sizeof kMagic) == sizeof kMagic)
        goodBytes = sizeof kMagic;
    const QByteArray entry = field(key.toUtf8()) + field(jpeg);
    if (f.seek(goodBytes) && f.write(entry) == entry.size())
        goodBytes += entry.size();
}

} // namespace qv

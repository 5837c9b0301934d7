#include "QorIO.h"
#include "ReplacingFile.h"
#include "Sjis.h"
#include <QtEndian>
#include <cstring>

namespace qv {
namespace {

constexpr uint32_t kFlagSelected = 1u << 0;
constexpr uint32_t kFlagFromPicture = 1u << 1;
constexpr uint32_t kFlagSpare = 1u << 2;

void putInt(QByteArray& out, uint32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void putString(QByteArray& out, const QString& s)
{
    const QByteArray bytes = toSjis(s);
    putInt(out, uint32_t(bytes.size()));
    out.append(bytes);
    out.append('\0');
}

uint32_t flagWord(const TItemStatus& it)
{
    return (it.selected ? kFlagSelected : 0) | (it.fromPicture ? kFlagFromPicture : 0)
        | (it.spareFlag ? kFlagSpare : 0);
}

void putRecord(QByteArray& out, const TItemStatus& it, ItemLayout layout)
{
    putInt(out, uint32_t(it.kind));
    putInt(out, flagWord(it));
    for (int32_t v : { it.angle, it.centerX, it.centerY, it.width, it.height, it.screenX, it.screenY })
        putInt(out, uint32_t(v));
    putInt(out, it.color);
    putInt(out, it.lineColor);
    putInt(out, it.keyColor);
    putInt(out, uint32_t(it.imageSlot));
    putString(out, it.fontName);
    putInt(out, uint32_t(it.lineCount));
    putInt(out, uint32_t(it.fontSize));
    putInt(out, uint32_t(it.lineSpacing));
    if (layout == ItemLayout::Current)
        putInt(out, uint32_t(it.textAlign));
    putString(out, it.text);
    putInt(out, it.poolIndex);
}

} // namespace

QByteArray encodeItemFile(const TItemList& items, ItemLayout layout)
{
    QByteArray out;
    const int n = items.isEmpty() ? 0 : int(items.size()) - 1;
    putInt(out, uint32_t(n));
    for (int k = 1; k <= n; ++k)
        putRecord(out, items[k], layout);
    return out;
}

bool writeItemFile(const QString& path, const TItemList& items, ItemLayout layout)
{
    // Written aside and renamed into place, so a failed write leaves the previous file whole.
    // Not flushed to disk, like the page's slot files: a flush here would wait at every page
    // switch for all of the page's pictures to reach the disk.
    ReplacingFile f(path);
    const QByteArray bytes = encodeItemFile(items, layout);
    return f.open() && f.write(bytes.constData(), bytes.size()) && f.commit();
}

bool ItemFileReader::open(const QString& path)
{
    close();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    return openBytes(bytes);
}

bool ItemFileReader::openBytes(const QByteArray& bytes)
{
    close();
    data = bytes;
    if (!readInt(n)) {
        close();
        return false;
    }
    return true;
}

bool ItemFileReader::atEnd() const { return pos >= data.size(); }

void ItemFileReader::close()
{
    data.clear();
    pos = 0;
    n = 0;
}

bool ItemFileReader::readInt(int32_t& v)
{
    if (data.size() - pos < 4) {
        pos = data.size(); // a partial field is damage: nothing after it can be trusted
        return false;
    }
    v = qFromLittleEndian<int32_t>(data.constData() + pos);
    pos += 4;
    return true;
}

bool ItemFileReader::readString(QString& s)
{
    int32_t len = 0;
    if (!readInt(len))
        return false;
    // The length and its terminating byte must lie within the file.
    if (len < 0 || qint64(len) + 1 > data.size() - pos) {
        pos = data.size();
        return false;
    }
    const char* start = data.constData() + pos;
    const auto zero = static_cast<const char*>(memchr(start, 0, size_t(len) + 1));
    s = fromSjis(QByteArray(start, zero ? zero - start : qsizetype(len) + 1));
    pos += qsizetype(len) + 1;
    return true;
}

bool ItemFileReader::readRecord(TItemStatus& rec)
{
    rec.fontName.clear();
    rec.text.clear();
    auto readU = [this](uint32_t& v) {
        int32_t t = 0;
        if (!readInt(t))
            return false;
        v = uint32_t(t);
        return true;
    };
    uint32_t flags = 0;
    if (!readInt(rec.kind) || !readU(flags))
        return false;
    rec.selected = flags & kFlagSelected;
    rec.fromPicture = flags & kFlagFromPicture;
    rec.spareFlag = flags & kFlagSpare;
    for (int32_t* f : { &rec.angle, &rec.centerX, &rec.centerY, &rec.width, &rec.height, &rec.screenX,
                        &rec.screenY }) {
        if (!readInt(*f))
            return false;
    }
    if (!readU(rec.color) || !readU(rec.lineColor) || !readU(rec.keyColor) || !readInt(rec.imageSlot))
        return false;
    if (!readString(rec.fontName))
        return false;
    if (!readInt(rec.lineCount) || !readInt(rec.fontSize) || !readInt(rec.lineSpacing))
        return false;
    if (layout == ItemLayout::Current && !readInt(rec.textAlign))
        return false;
    return readString(rec.text) && readU(rec.poolIndex);
}

} // namespace qv

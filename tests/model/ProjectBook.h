#pragma once
// Test books: work folders with pages, placed images, pool files and thumbnail cache files,
// and helpers to compare folders and take project files apart.
#include "BmpCodec.h"
#include "ProjectFile.h"
#include "QorIO.h"
#include "TestEnv.h"
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QtEndian>
#include <algorithm>
#include <cerrno>

namespace qv::test {

/// Bytes that depend on their position and seed, so that any mix-up shows.
inline QByteArray patternBytes(qsizetype size, int seed)
{
    QByteArray b(size, Qt::Uninitialized);
    quint32 v = 2166136261u ^ quint32(seed);
    for (qsizetype i = 0; i < size; ++i) {
        v = v * 16777619u + 0x9E37u;
        b[i] = char(v >> 24);
    }
    return b;
}

inline QByteArray bmpBytes(int w, int h, int seed)
{
    TBigBitmap b(w, h, 24);
    for (int y = 0; y < h; ++y) {
        uchar* row = b.scanLine(y);
        for (int x = 0; x < w * 3; ++x)
            row[x] = uchar(x * 7 + y * 13 + seed * 31);
    }
    return encodeBmp24(b);
}

inline TItemList sampleItems(int seed)
{
    TItemList items(1);
    TItemStatus text;
    text.kind = kKindText;
    text.selected = false;
    text.centerX = -300 + seed;
    text.centerY = 120;
    text.width = 400;
    text.height = 60;
    text.fontName = QStringLiteral("ＭＳ Ｐゴシック");
    text.fontSize = 35;
    text.lineSpacing = 53;
    text.textAlign = 2;
    text.text = QStringLiteral("写真%1").arg(seed);
    items.append(text);
    TItemStatus image;
    image.kind = kKindImage;
    image.selected = false;
    image.imageSlot = 1;
    image.poolIndex = uint32_t(seed % 3);
    image.width = 500;
    image.height = 375;
    image.text = QStringLiteral("写真");
    items.append(image);
    return items;
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// A book in work folder root: valid item files on pages 0, 1, 5 and 16, two placed images
/// on page 1 and one on page 5, an empty page folder 9, three pool entries (two photos, one
/// picture; one photo larger than the streaming buffer), two thumbnail cache files, and an
/// undo snapshot and qor_std.dat that a project file does not hold.
inline void makeBook(const QString& root, qsizetype bigPhotoBytes = 3 * 1024 * 1024 + 17)
{
    const QString w = QDir::cleanPath(root) + '/';
    for (int p : {0, 1, 5, 16})
        writeFile(w + QString::number(p) + "/qor.dat", encodeItemFile(sampleItems(p)));
    writeFile(w + "1/1.bmp", bmpBytes(40, 30, 1));
    writeFile(w + "1/t1.bmp", bmpBytes(8, 6, 2));
    writeFile(w + "1/2.bmp", bmpBytes(33, 21, 3));
    writeFile(w + "1/t2.bmp", bmpBytes(7, 5, 4));
    writeFile(w + "5/1.bmp", bmpBytes(25, 25, 5));
    writeFile(w + "5/t1.bmp", bmpBytes(5, 5, 6));
    QDir().mkpath(w + "9");
    QFile photo(testData(QStringLiteral("photos/DSCN0010.jpg")));
    writeFile(w + "img/0_.jpg", photo.open(QIODevice::ReadOnly) ? photo.readAll() : patternBytes(80000, 7));
    writeFile(w + "img/t0_.bmp", bmpBytes(30, 22, 8));
    writeFile(w + "img/1.bmp", bmpBytes(60, 40, 9));
    writeFile(w + "img/t1.bmp", bmpBytes(30, 20, 10));
    writeFile(w + "img/2_.jpg", patternBytes(bigPhotoBytes, 11));
    writeFile(w + "img/t2_.bmp", bmpBytes(30, 22, 12));
    writeFile(w + "thumb/Thumbs_001.bmp", bmpBytes(16, 16, 13));
    writeFile(w + "thumb/cache.db", patternBytes(4321, 14));
    writeFile(w + "undo/1/qor.dat", encodeItemFile(sampleItems(99)));
    writeFile(w + "qor_std.dat", QByteArray(1, '\1'));
}

/// Every file below root that a project file holds (page folders, img, thumb), by relative
/// path, with its bytes.
inline QMap<QString, QByteArray> bookFiles(const QString& root)
{
    QMap<QString, QByteArray> files;
    const QString base = QDir::cleanPath(root) + '/';
    QDirIterator it(base, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = path.mid(base.size());
        const QString top = rel.section('/', 0, 0);
        bool page = false;
        const int n = top.toInt(&page);
        if ((page && n >= 0 && n <= 16) || top == "img" || top == "thumb")
            files.insert(rel, readBytes(path));
    }
    return files;
}

/// Names directly inside a folder, sorted (files and folders).
inline QStringList listing(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// --- building project files by hand ---

inline void putInt(QByteArray& b, int32_t v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

inline void putTag(QByteArray& b, const char* tag) { b.append(tag, qsizetype(qstrlen(tag)) + 1); }

inline void putEntry(QByteArray& b, const QByteArray& name, const QByteArray& content)
{
    putInt(b, int32_t(name.size()));
    b.append(name);
    b.append('\0');
    putInt(b, int32_t(content.size()));
    b.append(content);
}

inline QByteArray headerFor(const char* code, ProjectVersion v = {3, 0, 0, 0})
{
    QByteArray b = QByteArray(code).leftJustified(16, ' ');
    b.append('\0');
    putTag(b, "Version");
    for (int32_t x : v)
        putInt(b, x);
    return b;
}

/// A file with empty pages and given pool and thumbnail entries; pageInfo0 is the first
/// entry of "PageInfo" (page 0).
inline QByteArray handMadeBook(const QByteArray& pageInfo0, const QByteArray& poolEntries = {}, int poolCount = 0,
                               const QByteArray& thumbEntries = {}, int thumbCount = 0)
{
    QByteArray b = headerFor("QorPALM");
    putTag(b, "PageInfo");
    for (int n = 0; n < 17; ++n) {
        putInt(b, n);
        if (n == 0)
            b.append(pageInfo0);
        else
            putEntry(b, "qor.dat", {});
    }
    putTag(b, "PageImage");
    for (int n = 0; n < 17; ++n) {
        putInt(b, n);
        putInt(b, 0);
    }
    putTag(b, "OriginalImage");
    putInt(b, poolCount);
    b.append(poolEntries);
    putTag(b, "Thumb");
    putInt(b, thumbCount);
    b.append(thumbEntries);
    return b;
}

} // namespace qv::test

namespace qv::test {

/// File operations that make the nth call of one kind fail (1-based), and count every call.
/// Installed while it lives.
class FailingOps : public ProjectFileOps {
public:
    enum Kind { Write, Fsync, Rename, Link, None };
    FailingOps(Kind kind, int failAt, int error = EIO) : kind(kind), failAt(failAt), error(error)
    {
        setProjectFileOps(this);
    }
    ~FailingOps() override { setProjectFileOps(nullptr); }

    int calls[4] = {};
    qsizetype maxWrite = 0;       // when > 0, no write call takes more bytes than this
    bool flipAByte = false;       // the first write silently stores one byte changed
    bool noLinks = false;         // every link fails as on a file system without them

    ssize_t write(int fd, const void* data, size_t size) override
    {
        if (hit(Write))
            return -1;
        if (maxWrite > 0)
            size = std::min(size, size_t(maxWrite));
        if (flipAByte && size > 100) {
            flipAByte = false;
            QByteArray changed(static_cast<const char*>(data), qsizetype(size));
            changed[changed.size() / 2] = char(changed[changed.size() / 2] ^ 0x01); // inside a stored file
            return ProjectFileOps::write(fd, changed.constData(), size);
        }
        return ProjectFileOps::write(fd, data, size);
    }
    int fsync(int fd) override { return hit(Fsync) ? -1 : ProjectFileOps::fsync(fd); }
    int rename(const char* from, const char* to, bool mayReplace) override
    {
        return hit(Rename) ? -1 : ProjectFileOps::rename(from, to, mayReplace);
    }
    int link(const char* from, const char* to) override
    {
        if (noLinks) {
            errno = EPERM; // a file system without hard links
            return -1;
        }
        return hit(Link) ? -1 : ProjectFileOps::link(from, to);
    }

private:
    Kind kind;
    int failAt;
    int error;
    bool hit(Kind k)
    {
        if (++calls[k] != failAt || k != kind)
            return false;
        errno = error;
        return true;
    }
};

} // namespace qv::test

// Writing a project file from the work folder, and checking it after it was written.
#include "Numbers.h"
#include "ProjectFormat.h"
#include "Sjis.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::project {
namespace {

constexpr int kMaxPageSlots = 16;
constexpr int kMaxPoolIndex = 150; // the pool rebuild looks at files 0..150

QString errnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

struct PlannedEntry {
    ProjectSection section;
    QString folder;
    QString name;
    QString source;
};

bool isFile(const QString& path) { return QFileInfo(path).isFile(); }

/// Half the number of files, halves to even: each stored picture comes with its thumbnail.
int halfOf(qsizetype count) { return nearest(double(count) / 2.0); }

qsizetype countFiles(const QString& folder, const QStringList& patterns)
{
    return QDir(folder).entryList(patterns, QDir::Files | QDir::Hidden | QDir::System | QDir::CaseSensitive).size();
}

/// Number of slots stored for a page folder: half its .bmp files, but never fewer than the
/// highest numbered slot present, so that a picture without its thumbnail is not dropped.
int pageSlotCount(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        return 0;
    int k = halfOf(countFiles(folder, {QStringLiteral("*.bmp")}));
    for (int m = 1; m <= kMaxPageSlots; ++m) {
        if (isFile(folder + QStringLiteral("%1.bmp").arg(m)) || isFile(folder + QStringLiteral("t%1.bmp").arg(m)))
            k = std::max(k, m);
    }
    return k;
}

/// Number of pool entries stored: half the .jpg and .bmp files, at least up to the highest
/// numbered pool file present (the same guard as for pages).
int poolEntryCount(const QString& img)
{
    int k = halfOf(countFiles(img, {QStringLiteral("*.jpg"), QStringLiteral("*.bmp")}));
    for (int j = 0; j <= kMaxPoolIndex; ++j) {
        const QString n = QString::number(j);
        if (isFile(img + n + ".bmp") || isFile(img + n + "_.jpg") || isFile(img + "t" + n + ".bmp")
            || isFile(img + "t" + n + "_.bmp"))
            k = std::max(k, j + 1);
    }
    return k;
}

/// A thumbnail cache file is stored only when its name comes back unchanged from the file.
bool storableName(const QString& name)
{
    const QByteArray bytes = toSjis(name);
    return isSafeEntryName(name) && bytes.size() <= kMaxNameBytes && fromSjis(bytes) == name;
}

QVector<PlannedEntry> pageItemFiles(const QString& root)
{
    QVector<PlannedEntry> list;
    for (int n = 0; n < kPageFolders; ++n) {
        const QString folder = QString::number(n);
        list.append({ProjectSection::PageInfo, folder, QStringLiteral("qor.dat"), root + folder + "/qor.dat"});
    }
    return list;
}

class ProjectOutput {
public:
    ProjectOutput(int fd, ProjectFileOps& ops) : fd(fd), ops(ops), buffer(size_t(kBufferBytes)) {}

    bool put(const char* data, qint64 size)
    {
        while (size > 0) {
            if (used == qint64(buffer.size()) && !flush())
                return false;
            const qint64 n = std::min(size, qint64(buffer.size()) - used);
            std::memcpy(buffer.data() + used, data, size_t(n));
            used += n;
            data += n;
            size -= n;
        }
        return true;
    }
    bool put(const QByteArray& bytes) { return put(bytes.constData(), bytes.size()); }
    bool putInt(int32_t v)
    {
        char b[4];
        qToLittleEndian(v, b);
        return put(b, 4);
    }

    /// Copies size bytes of src straight into the buffer.
    bool putFile(int src, qint64 size)
    {
        while (size > 0) {
            if (used == qint64(buffer.size()) && !flush())
                return false;
            const ssize_t r = ::read(src, buffer.data() + used, size_t(std::min(size, qint64(buffer.size()) - used)));
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0) {
                error = r < 0 ? errnoText() : QStringLiteral("the file became shorter while it was saved");
                return false;
            }
            used += r;
            size -= r;
        }
        return true;
    }

    bool flush()
    {
        hash.add(buffer.data(), used);
        const char* p = buffer.data();
        qint64 left = used;
        while (left > 0) {
            const ssize_t w = ops.write(fd, p, size_t(left));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                error = w < 0 ? errnoText() : QStringLiteral("nothing could be written");
                writeFailed = true;
                return false;
            }
            p += w;
            left -= w;
        }
        used = 0;
        return true;
    }

    StreamHash hash;
    QString error;
    bool writeFailed = false; // the error is the output's, not a source file's

private:
    int fd;
    ProjectFileOps& ops;
    std::vector<char> buffer;
    qint64 used = 0;
};

class ProjectWriter {
public:
    ProjectWriter(ProjectOutput& out, QVector<ProjectEntry>& written) : out(out), written(written) {}

    bool entry(const PlannedEntry& p)
    {
        const QByteArray name = toSjis(p.name);
        int src = ::open(QFile::encodeName(p.source).constData(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (src < 0 && errno != ENOENT && errno != ENOTDIR)
            return fail(p, errnoText());
        if (src >= 0 && (::fstat(src, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(src); // a folder or device of that name is not a stored file
            src = -1;
        }
        const qint64 size = src >= 0 ? st.st_size : 0; // missing: an empty entry keeps the count
        if (size > std::numeric_limits<int32_t>::max()) {
            ::close(src);
            return fail(p, QStringLiteral("larger than a project file can hold"));
        }
        bool ok = out.putInt(int32_t(name.size())) && out.put(name) && out.put("\0", 1) && out.putInt(int32_t(size));
        if (ok && src >= 0)
            ok = out.putFile(src, size);
        if (src >= 0)
            ::close(src);
        if (!ok)
            return fail(p, out.error);
        written.append({p.section, p.folder, p.name, size});
        return true;
    }

    bool entries(const QVector<PlannedEntry>& list)
    {
        for (const PlannedEntry& p : list) {
            if (!entry(p))
                return false;
        }
        return true;
    }

    QString error;

private:
    ProjectOutput& out;
    QVector<ProjectEntry>& written;

    bool fail(const PlannedEntry& p, const QString& why)
    {
        error = QStringLiteral("%1: %2").arg(p.source, why);
        return false;
    }
};

QByteArray headerBytes(const QString& typeCode)
{
    // Space-padded to 16 characters like the type table's codes, then the zero byte.
    QByteArray h = toSjis(typeCode).left(kTypeCodeChars).leftJustified(kTypeCodeChars, ' ');
    h.append('\0');
    return h;
}

QVector<PlannedEntry> pageImages(const QString& root, int n)
{
    const QString folder = QString::number(n);
    const int k = pageSlotCount(root + folder + '/');
    QVector<PlannedEntry> list;
    for (int m = 1; m <= k; ++m)
        list.append({ProjectSection::PageImage, folder, QStringLiteral("%1.bmp").arg(m), {}});
    for (int m = 1; m <= k; ++m)
        list.append({ProjectSection::PageImage, folder, QStringLiteral("t%1.bmp").arg(m), {}});
    for (PlannedEntry& p : list)
        p.source = root + folder + '/' + p.name;
    return list;
}

QVector<PlannedEntry> poolFiles(const QString& root)
{
    const QString img = root + kImgFolder + '/';
    const int k = poolEntryCount(img);
    QVector<PlannedEntry> list;
    auto add = [&](const QString& name) { list.append({ProjectSection::OriginalImage, kImgFolder, name, img + name}); };
    for (int j = 0; j < k; ++j) {
        const QString picture = QStringLiteral("%1.bmp").arg(j);
        add(isFile(img + picture) ? picture : QStringLiteral("%1_.jpg").arg(j));
    }
    for (int j = 0; j < k; ++j) {
        const QString picture = QStringLiteral("t%1.bmp").arg(j);
        add(isFile(img + picture) ? picture : QStringLiteral("t%1_.bmp").arg(j));
    }
    return list;
}

QVector<PlannedEntry> thumbFiles(const QString& root)
{
    const QString thumb = root + kThumbFolder + '/';
    QVector<PlannedEntry> list;
    const QFileInfoList files = QDir(thumb).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& f : files) {
        if (f.isFile() && storableName(f.fileName()))
            list.append({ProjectSection::Thumb, kThumbFolder, f.fileName(), f.filePath()});
    }
    return list;
}

bool putCount(ProjectOutput& out, qsizetype n) { return out.putInt(int32_t(n)); }

/// Compares what a walk finds with what was written, reading every byte for the hash.
class VerifySink : public ProjectSink {
public:
    explicit VerifySink(const QVector<ProjectEntry>& written) : written(written) {}
    bool enterFolder(const QString&, QString*) override { return true; }
    bool entry(const ProjectEntry& e, ProjectInput& in, QString* reason) override
    {
        if (next >= written.size() || !(written[next] == e)) {
            *reason = QStringLiteral("entry %1 differs from what was written").arg(next);
            return false;
        }
        ++next;
        if (!in.skip(e.size)) {
            *reason = QStringLiteral("read error");
            return false;
        }
        return true;
    }
    qsizetype next = 0;

private:
    const QVector<ProjectEntry>& written;
};

} // namespace

bool writeProjectTo(int fd, const QString& target, const QString& workRoot, const QString& typeCode,
                    ProjectFileOps& ops, QVector<ProjectEntry>* written, quint64* hash, QString* reason)
{
    const QString root = QDir::cleanPath(workRoot) + '/';
    ProjectOutput out(fd, ops);
    ProjectWriter writer(out, *written);
    written->clear();
    const QVector<PlannedEntry> pages = pageItemFiles(root);
    bool ok = out.put(headerBytes(typeCode)) && out.put(versionTag());
    for (int32_t v : kVersionWritten)
        ok = ok && out.putInt(v);
    ok = ok && out.put(sectionTagBytes(ProjectSection::PageInfo));
    for (int n = 0; ok && n < kPageFolders; ++n)
        ok = out.putInt(n) && writer.entry(pages[n]);
    ok = ok && out.put(sectionTagBytes(ProjectSection::PageImage));
    for (int n = 0; ok && n < kPageFolders; ++n) {
        const QVector<PlannedEntry> images = pageImages(root, n);
        ok = out.putInt(n) && putCount(out, images.size() / 2) && writer.entries(images);
    }
    const QVector<PlannedEntry> pool = poolFiles(root);
    ok = ok && out.put(sectionTagBytes(ProjectSection::OriginalImage)) && putCount(out, pool.size() / 2)
        && writer.entries(pool);
    const QVector<PlannedEntry> thumbs = thumbFiles(root);
    ok = ok && out.put(sectionTagBytes(ProjectSection::Thumb)) && putCount(out, thumbs.size())
        && writer.entries(thumbs) && out.flush();
    if (!ok && out.writeFailed)
        *reason = QStringLiteral("%1: %2").arg(target, out.error); // the disk being written, not a source
    else if (!ok)
        *reason = writer.error.isEmpty() ? out.error : writer.error;
    *hash = out.hash.result();
    return ok;
}

bool verifyProjectFile(const QString& path, const QVector<ProjectEntry>& written, quint64 hash, QString* reason)
{
    ProjectInput in;
    if (!in.open(path, reason))
        return false;
    StreamHash readBack;
    in.setHash(&readBack);
    VerifySink sink(written);
    const ProjectReadResult r = walkProjectFile(in, sink, true);
    if (r.code != kReadOk) {
        *reason = QStringLiteral("the written file does not read back: %1").arg(r.reason);
        return false;
    }
    if (sink.next != written.size() || readBack.result() != hash) {
        *reason = QStringLiteral("the written file differs from what was written");
        return false;
    }
    return true;
}

} // namespace qv::project

// The walk over a project file's sections, shared by unpacking, listing and the check of a
// file just written. Every count and size is checked against the bytes left before use.
#include "ProjectFormat.h"
#include "Sjis.h"
#include <algorithm>
#include <cstring>

namespace qv::project {
namespace {

enum class EntryStatus { Ok, CutShort, Failed };

class Walker {
public:
    Walker(ProjectInput& in, ProjectSink& sink, bool strict) : in(in), sink(sink), strict(strict) {}

    ProjectReadResult run()
    {
        if (readHeader() && readVersion() && pageInfo() && pageImage() && originalImage() && thumb())
            result.code = kReadOk;
        return result;
    }

private:
    ProjectInput& in;
    ProjectSink& sink;
    const bool strict;
    ProjectReadResult result;

    bool fail(int code, const QString& reason)
    {
        result.code = code;
        result.reason = QStringLiteral("at byte %1: %2").arg(in.position()).arg(reason);
        return false;
    }

    bool cutShort(const QString& what)
    {
        if (in.ioFailed())
            return fail(kReadFailed, QStringLiteral("read error in %1").arg(what));
        return fail(kReadFailed, QStringLiteral("the file ends inside %1").arg(what));
    }

    EntryStatus shortEntry(const QString& what)
    {
        cutShort(what);
        return EntryStatus::CutShort;
    }

    bool readHeader()
    {
        char header[kHeaderBytes];
        if (!in.read(header, kHeaderBytes))
            return fail(kReadNoHeader, QStringLiteral("shorter than the %1-byte header").arg(kHeaderBytes));
        result.typeCode = fromSjis(QByteArray(header, qsizetype(strnlen(header, kHeaderBytes))));
        return true;
    }

    bool readVersion()
    {
        const QByteArray tag = versionTag();
        QByteArray found(tag.size(), '\0');
        if (!in.read(found.data(), found.size()) || found != tag)
            return fail(kReadBadVersion, QStringLiteral("no \"Version\" tag"));
        ProjectVersion v{};
        for (int32_t& part : v) {
            if (!in.readInt(part))
                return cutShort(QStringLiteral("the version"));
        }
        result.version = v;
        const bool known = (v[0] == 3 || v[0] == 2) && v[1] == 0 && v[2] == 0 && v[3] == 0;
        if (!known || (strict && v != kVersionWritten))
            return fail(kReadBadVersion, QStringLiteral("version %1.%2.%3.%4 is not supported")
                                             .arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]));
        result.versionAccepted = true;
        return true;
    }

    /// Reads a section's tag; a tag cut short is reported as CutShort.
    EntryStatus readTag(ProjectSection section)
    {
        const QByteArray tag = sectionTagBytes(section);
        QByteArray found(tag.size(), '\0');
        if (!in.read(found.data(), found.size()))
            return shortEntry(QStringLiteral("the tag \"%1\"").arg(sectionTag(section)));
        if (found != tag) {
            fail(kReadFailed, QStringLiteral("tag \"%1\" expected").arg(sectionTag(section)));
            return EntryStatus::Failed;
        }
        return EntryStatus::Ok;
    }

    bool readIndex(int expected, ProjectSection section)
    {
        int32_t n = 0;
        if (!in.readInt(n))
            return cutShort(sectionTag(section));
        if (n != expected)
            return fail(kReadFailed, QStringLiteral("%1: folder %2 expected, found %3")
                                         .arg(sectionTag(section)).arg(expected).arg(n));
        return true;
    }

    EntryStatus readCount(ProjectSection section, int32_t& k)
    {
        if (!in.readInt(k))
            return shortEntry(sectionTag(section));
        if (k < 0 && strict) {
            fail(kReadFailed, QStringLiteral("%1: negative count %2").arg(sectionTag(section)).arg(k));
            return EntryStatus::Failed;
        }
        k = std::max(k, 0); // a count below zero holds no entries
        return EntryStatus::Ok;
    }

    EntryStatus readEntry(ProjectSection section, const QString& folder)
    {
        const QString where = QStringLiteral("an entry of %1").arg(sectionTag(section));
        int32_t nameLength = 0;
        if (!in.readInt(nameLength))
            return shortEntry(where);
        if (nameLength < 0 || nameLength > kMaxNameBytes) {
            fail(kReadFailed, QStringLiteral("%1: name length %2").arg(where).arg(nameLength));
            return EntryStatus::Failed;
        }
        if (qint64(nameLength) + 1 > in.remaining())
            return shortEntry(where);
        char raw[kMaxNameBytes + 1];
        if (!in.read(raw, qint64(nameLength) + 1))
            return shortEntry(where);
        // The name is the text up to its zero byte; bytes after it do not count.
        const char* end = static_cast<const char*>(std::memchr(raw, 0, size_t(nameLength) + 1));
        const QString name = fromSjis(QByteArray(raw, end ? end - raw : 0));
        int32_t size = 0;
        if (end && name.isEmpty() && !strict) { // an empty name stores nothing: skipped when empty
            if (!in.readInt(size))
                return shortEntry(where);
            if (size == 0)
                return EntryStatus::Ok;
        }
        if (!end || !isSafeEntryName(name)) {
            fail(kReadFailed, QStringLiteral("%1: the name \"%2\" is not a plain file name").arg(where, name));
            return EntryStatus::Failed;
        }
        if (!in.readInt(size))
            return shortEntry(where);
        if (size < 0) {
            fail(kReadFailed, QStringLiteral("\"%1\": negative size %2").arg(name).arg(size));
            return EntryStatus::Failed;
        }
        if (size > in.remaining())
            return shortEntry(QStringLiteral("\"%1\" (%2 bytes declared, %3 left)").arg(name).arg(size).arg(in.remaining()));
        const qint64 start = in.position();
        QString reason;
        if (!sink.entry(ProjectEntry{section, folder, name, size}, in, &reason) || in.position() != start + size) {
            fail(kReadFailed, QStringLiteral("\"%1/%2\": %3").arg(folder, name, reason));
            return EntryStatus::Failed;
        }
        return EntryStatus::Ok;
    }

    bool enter(const QString& folder)
    {
        QString reason;
        if (!sink.enterFolder(folder, &reason))
            return fail(kReadFailed, QStringLiteral("folder \"%1\": %2").arg(folder, reason));
        return true;
    }

    bool readEntries(ProjectSection section, const QString& folder, qint64 count)
    {
        for (qint64 j = 0; j < count; ++j) {
            if (readEntry(section, folder) != EntryStatus::Ok)
                return false;
        }
        return true;
    }

    bool pageInfo()
    {
        if (readTag(ProjectSection::PageInfo) != EntryStatus::Ok)
            return false;
        for (int i = 0; i < kPageFolders; ++i) {
            const QString folder = QString::number(i);
            if (!readIndex(i, ProjectSection::PageInfo) || !enter(folder)
                || readEntry(ProjectSection::PageInfo, folder) != EntryStatus::Ok)
                return false;
            sink.leavePageFolder(folder);
        }
        return true;
    }

    bool pageImage()
    {
        if (readTag(ProjectSection::PageImage) != EntryStatus::Ok)
            return false;
        for (int i = 0; i < kPageFolders; ++i) {
            const QString folder = QString::number(i);
            int32_t k = 0;
            if (!readIndex(i, ProjectSection::PageImage) || readCount(ProjectSection::PageImage, k) != EntryStatus::Ok)
                return false;
            if (k > 0 && !(enter(folder) && readEntries(ProjectSection::PageImage, folder, 2 * qint64(k))))
                return false;
        }
        return true;
    }

    bool originalImage()
    {
        int32_t k = 0;
        return enter(kImgFolder) && readTag(ProjectSection::OriginalImage) == EntryStatus::Ok
            && readCount(ProjectSection::OriginalImage, k) == EntryStatus::Ok
            && readEntries(ProjectSection::OriginalImage, kImgFolder, 2 * qint64(k));
    }

    /// The thumbnail cache can be rebuilt: past its tag, a file that ends early or an entry that
    /// cannot be read ends the section, and the file still counts as read.
    bool thumb()
    {
        if (!enter(kThumbFolder))
            return false;
        EntryStatus s = readTag(ProjectSection::Thumb);
        if (s == EntryStatus::Failed)
            return false; // a wrong tag
        int32_t c = 0;
        if (s == EntryStatus::Ok)
            s = readCount(ProjectSection::Thumb, c);
        for (int32_t j = 0; j < c && s == EntryStatus::Ok; ++j)
            s = readEntry(ProjectSection::Thumb, kThumbFolder);
        if (s != EntryStatus::Ok && !strict) {
            result.thumbCutShort = true;
            result.reason.clear();
            return true;
        }
        if (s != EntryStatus::Ok)
            return false;
        if (strict && in.remaining() > 0)
            return fail(kReadFailed, QStringLiteral("%1 bytes after the last entry").arg(in.remaining()));
        return true;
    }
};

} // namespace

ProjectReadResult walkProjectFile(ProjectInput& in, ProjectSink& sink, bool strict)
{
    return Walker(in, sink, strict).run();
}

} // namespace qv::project

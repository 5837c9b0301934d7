// Unpacking a project file into a work folder, and listing one without unpacking.
#include "ProjectFormat.h"
#include <QFile>
#include <QSet>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {
namespace {

using project::ProjectInput;

QString errnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

/// Every byte of size written, retrying short writes.
bool writeAll(ProjectFileOps& ops, int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t w = ops.write(fd, data, size_t(size));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        data += w;
        size -= w;
    }
    return true;
}

/// Writes entries into the folders of one work folder. Each file is written under a scratch
/// name and renamed over its own name, so an existing link of that name is replaced, never
/// followed, and nothing is created outside the folder.
class WorkFolderSink : public project::ProjectSink {
public:
    ~WorkFolderSink() override
    {
        closeFolder();
        if (rootFd >= 0)
            ops.close(rootFd);
    }

    bool open(const QString& root, QString* reason)
    {
        makePath(QFile::encodeName(root));
        rootFd = ops.openat(AT_FDCWD, QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (rootFd < 0)
            *reason = QStringLiteral("%1: %2").arg(root, errnoText());
        return rootFd >= 0;
    }

    bool enterFolder(const QString& folder, QString* reason) override
    {
        closeFolder();
        folderName = folder;
        const QByteArray name = QFile::encodeName(folder);
        struct stat st {};
        if (ops.fstatat(rootFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode))
            ops.unlinkat(rootFd, name.constData(), 0); // a file or link in the folder's place
        if (ops.mkdirat(rootFd, name.constData(), 0777) != 0 && errno != EEXIST) {
            *reason = errnoText();
            return false;
        }
        folderFd = ops.openat(rootFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folderFd < 0)
            *reason = errnoText();
        return folderFd >= 0;
    }

    void leavePageFolder(const QString& folder) override
    {
        closeFolder();
        ops.unlinkat(rootFd, QFile::encodeName(folder).constData(), AT_REMOVEDIR); // only when empty
    }

    bool entry(const ProjectEntry& e, ProjectInput& in, QString* reason) override
    {
        if (e.size == 0)
            return true; // the file did not exist when the book was saved
        const QByteArray scratch = scratchName();
        ops.unlinkat(folderFd, scratch.constData(), 0); // left by an unpack that broke off
        const int fd = ops.openat(folderFd, scratch.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            *reason = errnoText();
            return false;
        }
        bool writeFailed = false;
        const bool copied = in.stream(e.size, [&](const char* data, qint64 n) {
            writeFailed = !writeAll(ops, fd, data, n);
            return !writeFailed;
        });
        if (writeFailed)
            *reason = errnoText();
        const bool closed = ops.close(fd) == 0;
        if (copied && closed && ops.renameat(folderFd, scratch.constData(), folderFd, QFile::encodeName(e.name).constData()) == 0) {
            unpacked.insert(folderName + '/' + e.name);
            return true;
        }
        if (reason->isEmpty())
            *reason = copied ? errnoText() : QStringLiteral("read error");
        ops.unlinkat(folderFd, scratch.constData(), 0);
        return false;
    }

private:
    ProjectFileOps& ops = projectFileOps();
    int rootFd = -1;
    int folderFd = -1;
    QString folderName;     // the folder entries go to now
    QSet<QString> unpacked; // "folder/name" of every file this unpack wrote

    /// A scratch name that no file this unpack wrote into the folder has: a stored file may
    /// carry the usual scratch name itself and must not be removed as a leftover.
    QByteArray scratchName() const
    {
        QByteArray name = ".qvb-unpack.part";
        for (int n = 1; unpacked.contains(folderName + '/' + QString::fromLatin1(name)); ++n)
            name = ".qvb-unpack." + QByteArray::number(n) + ".part";
        return name;
    }

    void closeFolder()
    {
        if (folderFd >= 0)
            ops.close(folderFd);
        folderFd = -1;
    }

    /// Creates the folder and the folders above it that are missing.
    void makePath(const QByteArray& path)
    {
        for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
            ops.mkdirat(AT_FDCWD, path.left(slash).constData(), 0777);
        ops.mkdirat(AT_FDCWD, path.constData(), 0777);
    }
};

/// Collects the entries and skips their contents.
class ListSink : public project::ProjectSink {
public:
    explicit ListSink(QVector<ProjectEntry>* out) : out(out) {}
    bool enterFolder(const QString&, QString*) override { return true; }
    bool entry(const ProjectEntry& e, ProjectInput& in, QString* reason) override
    {
        if (out)
            out->append(e);
        if (!in.skip(e.size)) {
            *reason = QStringLiteral("read error");
            return false;
        }
        return true;
    }

private:
    QVector<ProjectEntry>* out;
};

ProjectReadResult openFailure(const QString& reason)
{
    ProjectReadResult r;
    r.code = kReadFailed;
    r.reason = reason;
    return r;
}

} // namespace

ProjectReadResult readProjectFile(const QString& path, const QString& workRoot)
{
    ProjectInput in;
    QString reason;
    if (!in.open(path, &reason))
        return openFailure(reason);
    WorkFolderSink sink;
    if (!sink.open(workRoot, &reason))
        return openFailure(reason);
    return project::walkProjectFile(in, sink, false);
}

ProjectReadResult listProjectFile(const QString& path, QVector<ProjectEntry>* entries)
{
    ProjectInput in;
    QString reason;
    if (!in.open(path, &reason))
        return openFailure(reason);
    ListSink sink(entries);
    return project::walkProjectFile(in, sink, false);
}

} // namespace qv

// Saving a project file so that a failure at any point leaves the previous book intact:
// write aside, flush, read back and check, then switch names.
#include "ProjectFormat.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

ssize_t ProjectFileOps::write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
int ProjectFileOps::fsync(int fd) { return ::fsync(fd); }

int ProjectFileOps::rename(const char* from, const char* to, bool mayReplace)
{
    if (mayReplace)
        return ::rename(from, to);
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return -1;
    // File systems without it: a second name, which never replaces, then the first goes.
    if (::link(from, to) == 0)
        return ::unlink(from);
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return -1;
    // Nor hard links: look before renaming.
    struct stat st {};
    if (::lstat(to, &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from, to);
}

int ProjectFileOps::link(const char* from, const char* to) { return ::link(from, to); }
int ProjectFileOps::openat(int dirFd, const char* path, int flags, mode_t mode) { return ::openat(dirFd, path, flags, mode); }
int ProjectFileOps::close(int fd) { return ::close(fd); }
ssize_t ProjectFileOps::read(int fd, void* data, size_t size) { return ::read(fd, data, size); }
off_t ProjectFileOps::lseek(int fd, off_t offset, int whence) { return ::lseek(fd, offset, whence); }
int ProjectFileOps::fstatat(int dirFd, const char* path, struct stat* st, int flags) { return ::fstatat(dirFd, path, st, flags); }
int ProjectFileOps::mkdirat(int dirFd, const char* path, mode_t mode) { return ::mkdirat(dirFd, path, mode); }
int ProjectFileOps::unlinkat(int dirFd, const char* path, int flags) { return ::unlinkat(dirFd, path, flags); }
int ProjectFileOps::renameat(int fromDir, const char* from, int toDir, const char* to)
{
    return ::renameat(fromDir, from, toDir, to);
}

namespace {
ProjectFileOps realOps;
ProjectFileOps* currentOps = nullptr;

QString errnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }
QByteArray native(const QString& path) { return QFile::encodeName(path); }

/// The file a symbolic link at path finally points to; path itself when it is none.
QString followLinks(QString path)
{
    for (int hops = 0; hops < 40 && QFileInfo(path).isSymLink(); ++hops)
        path = QFileInfo(path).symLinkTarget();
    return path;
}

/// Scratch files are named ".NAME.HEX.part" beside the book NAME.
QString scratchPrefix(const QString& path) { return QStringLiteral(".%1.").arg(QFileInfo(path).fileName()); }

bool isScratchOf(const QString& name, const QString& prefix)
{
    if (!name.startsWith(prefix) || !name.endsWith(QLatin1String(".part")))
        return false;
    const QString middle = name.mid(prefix.size(), name.size() - prefix.size() - 5);
    bool hex = false;
    middle.toULongLong(&hex, 16);
    return hex;
}

/// Removes the scratch files that a save of the same book left when it was cut off.
void removeCrashedScratch(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath() + '/';
    const QString prefix = scratchPrefix(path);
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        struct stat st {};
        if (isScratchOf(name, prefix) && ::lstat(native(folder + name).constData(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(native(folder + name).constData());
    }
}

/// A new file beside path that no one else uses, with the given permission bits.
int createScratch(const QString& path, mode_t mode, QString* scratch)
{
    const QString stem = QFileInfo(path).absolutePath() + '/' + scratchPrefix(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        *scratch = stem + QString::number(QRandomGenerator::global()->generate(), 16) + ".part";
        const int fd = ::open(native(*scratch).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 && mode != 0 && ::fchmod(fd, mode) != 0) {
            ::close(fd);
            ::unlink(native(*scratch).constData());
            return -1;
        }
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

/// Flushes a folder's list of names, so that a new or renamed file in it survives a crash.
bool syncFolder(const QString& folder, ProjectFileOps& ops)
{
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Some file systems cannot flush a folder at all; that is no failure of this save.
    const bool ok = ops.fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return ok;
}

/// Writes, flushes and checks the new file under a scratch name; the scratch file is removed
/// again on failure.
bool writeAside(const QString& workRoot, const QString& typeCode, const QString& path, mode_t mode,
                ProjectFileOps& ops, QString* scratch, ProjectSaveResult& result)
{
    const int fd = createScratch(path, mode, scratch);
    if (fd < 0) {
        result.reason = QStringLiteral("%1: %2").arg(path, errnoText());
        return false;
    }
    quint64 hash = 0;
    bool ok = project::writeProjectTo(fd, path, workRoot, typeCode, ops, &result.entries, &hash, &result.reason);
    if (ok && ops.fsync(fd) != 0) { // never retried: the data of a failed flush is gone
        result.reason = QStringLiteral("flushing %1: %2").arg(*scratch, errnoText());
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        result.reason = QStringLiteral("closing %1: %2").arg(*scratch, errnoText());
        ok = false;
    }
    if (ok && !syncFolder(QFileInfo(path).absolutePath(), ops)) {
        result.reason = QStringLiteral("flushing the folder of %1: %2").arg(path, errnoText());
        ok = false;
    }
    ok = ok && project::verifyProjectFile(*scratch, result.entries, hash, &result.reason);
    if (!ok)
        ::unlink(native(*scratch).constData());
    return ok;
}

enum class Backup { None, Linked, Renamed, Failed };

/// Gives the previous book, whose status is old, its backup name: a second link where the file
/// system has them, else its own name moves. A .BAK that is already a second link of this very
/// book is what a save killed after linking left, and goes first.
Backup keepPrevious(const QString& path, const QString& backup, const struct stat& old, ProjectFileOps& ops)
{
    struct stat left {};
    if (::lstat(native(backup).constData(), &left) == 0 && left.st_dev == old.st_dev && left.st_ino == old.st_ino)
        ::unlink(native(backup).constData());
    if (ops.link(native(path).constData(), native(backup).constData()) == 0)
        return Backup::Linked;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK)
        return Backup::Failed;
    return ops.rename(native(path).constData(), native(backup).constData(), false) == 0 ? Backup::Renamed
                                                                                        : Backup::Failed;
}

} // namespace

ProjectFileOps& projectFileOps() { return currentOps ? *currentOps : realOps; }
void setProjectFileOps(ProjectFileOps* ops) { currentOps = ops; }

QString withExtension(const QString& path, const QString& extension)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? name.left(dot) : name;
    return path.left(path.size() - name.size()) + stem + extension;
}

ProjectSaveResult saveProjectFile(const QString& workRoot, const QString& typeCode, const QString& given)
{
    ProjectFileOps& ops = projectFileOps();
    ProjectSaveResult result;
    const QString path = followLinks(given);
    struct stat old {};
    const bool hadOld = ::lstat(native(path).constData(), &old) == 0;
    if (hadOld && S_ISDIR(old.st_mode)) {
        result.reason = QStringLiteral("%1 is a folder").arg(path);
        return result;
    }
    if (hadOld && (old.st_mode & 0222) == 0) {
        result.reason = QStringLiteral("%1 is read-only").arg(path);
        return result;
    }
    removeCrashedScratch(path);
    QString scratch;
    if (!writeAside(workRoot, typeCode, path, hadOld ? old.st_mode & 07777 : 0, ops, &scratch, result))
        return result;

    const QString backup = withExtension(path, QStringLiteral(".BAK"));
    // A book named like its own backup keeps none.
    const Backup kept = hadOld && backup != path ? keepPrevious(path, backup, old, ops) : Backup::None;
    if (kept == Backup::Failed) {
        result.outcome = SaveOutcome::BackupFailed;
        result.reason = QStringLiteral("%1: %2").arg(backup, errnoText());
        ::unlink(native(scratch).constData());
        return result;
    }
    // Over the old book while it is still under its name.
    const bool replace = hadOld && kept != Backup::Renamed;
    const bool switched = ops.rename(native(scratch).constData(), native(path).constData(), replace) == 0;
    if (!switched)
        result.reason = QStringLiteral("%1: %2").arg(path, errnoText());
    else if (!syncFolder(QFileInfo(path).absolutePath(), ops))
        result.reason = QStringLiteral("flushing the folder of %1: %2").arg(path, errnoText());
    if (!switched)
        ::unlink(native(scratch).constData());
    if (!result.reason.isEmpty()) {
        if (kept == Backup::Linked && !switched) // the previous book is still under its name
            ::unlink(native(backup).constData());
        // Otherwise it stays beside the new name as .qvp, or as .BAK when a .qvp is there.
        else if (kept != Backup::None)
            ops.rename(native(backup).constData(), native(withExtension(path, QStringLiteral(".qvp"))).constData(), false);
        return result;
    }
    if (kept != Backup::None)
        ::unlink(native(backup).constData());
    result.outcome = SaveOutcome::Saved;
    return result;
}

} // namespace qv

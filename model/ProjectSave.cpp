// Saving a project file so that a failure at any point leaves the previous book intact:
// write aside, flush, read back and check, then switch names.
#include "ProjectFormat.h"
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
int ProjectFileOps::rename(const char* from, const char* to) { return ::rename(from, to); }

namespace {
ProjectFileOps realOps;
ProjectFileOps* currentOps = nullptr;

QString errnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }
QByteArray native(const QString& path) { return QFile::encodeName(path); }

bool lexists(const QString& path, bool* isDir = nullptr)
{
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0)
        return false;
    if (isDir)
        *isDir = S_ISDIR(st.st_mode);
    return true;
}

/// A new file beside path that no one else uses.
int createScratch(const QString& path, QString* scratch)
{
    const QFileInfo fi(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        *scratch = fi.absolutePath() + "/." + fi.fileName() + '.'
            + QString::number(QRandomGenerator::global()->generate(), 16) + ".part";
        const int fd = ::open(native(*scratch).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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
bool writeAside(const QString& workRoot, const QString& typeCode, const QString& path, ProjectFileOps& ops,
                QString* scratch, ProjectSaveResult& result)
{
    const int fd = createScratch(path, scratch);
    if (fd < 0) {
        result.reason = QStringLiteral("%1: %2").arg(path, errnoText());
        return false;
    }
    quint64 hash = 0;
    bool ok = project::writeProjectTo(fd, workRoot, typeCode, ops, &result.entries, &hash, &result.reason);
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

ProjectSaveResult saveProjectFile(const QString& workRoot, const QString& typeCode, const QString& path)
{
    ProjectFileOps& ops = projectFileOps();
    ProjectSaveResult result;
    bool isDir = false;
    const bool hadOld = lexists(path, &isDir);
    if (isDir) {
        result.reason = QStringLiteral("%1 is a folder").arg(path);
        return result;
    }
    QString scratch;
    if (!writeAside(workRoot, typeCode, path, ops, &scratch, result))
        return result;

    const QString backup = withExtension(path, QStringLiteral(".BAK"));
    const bool keepBackup = hadOld && backup != path;
    if (keepBackup && ops.rename(native(path).constData(), native(backup).constData()) != 0) {
        result.outcome = SaveOutcome::BackupFailed;
        result.reason = QStringLiteral("%1: %2").arg(backup, errnoText());
        ::unlink(native(scratch).constData());
        return result;
    }
    const bool switched = ops.rename(native(scratch).constData(), native(path).constData()) == 0;
    if (!switched)
        result.reason = QStringLiteral("%1: %2").arg(path, errnoText());
    else if (!syncFolder(QFileInfo(path).absolutePath(), ops))
        result.reason = QStringLiteral("flushing the folder of %1: %2").arg(path, errnoText());
    if (!switched)
        ::unlink(native(scratch).constData());
    if (!result.reason.isEmpty()) {
        // The previous book stays beside the new name as .qvp.
        if (keepBackup)
            ops.rename(native(backup).constData(), native(withExtension(path, QStringLiteral(".qvp"))).constData());
        return result;
    }
    if (keepBackup)
        ::unlink(native(backup).constData());
    result.outcome = SaveOutcome::Saved;
    return result;
}

} // namespace qv

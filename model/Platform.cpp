#include "Platform.h"
#include "ProcessStart.h"
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QUrl>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace qv {
namespace {
SystemPlatform systemPlatform;
Platform* current = nullptr;

QString withSlash(QString p) { return p.endsWith('/') ? p : p + '/'; }

QString lockFolder()
{
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QFileInfo(runtime).isWritable())
        return runtime;
    return QDir::tempPath();
}
} // namespace

Platform& platform() { return current ? *current : systemPlatform; }
void setPlatform(Platform* p) { current = p; }

bool SystemPlatform::acquireSingleInstance(const QString& name)
{
    // flock is dropped by the kernel when the process dies, however it ends.
    const QString path = lockFolder() + '/' + name + '-' + QString::number(getuid()) + ".lock";
    lockFd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0)
        return true; // no lock file possible: never keep the user out
    if (::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        ::close(lockFd);
        lockFd = -1;
        return false;
    }
    return true;
}

QString SystemPlatform::desktopPath()
{
    QString desk = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desk.isEmpty())
        desk = QDir::homePath();
    return desk;
}

std::optional<uint64_t> SystemPlatform::diskFreeBytes(const QString& path)
{
    // The desktop folder may not exist yet: ask for the nearest existing ancestor.
    QFileInfo fi(path);
    QString probe = fi.absoluteFilePath();
    while (!probe.isEmpty() && !QFileInfo::exists(probe))
        probe = QFileInfo(probe).absolutePath() == probe ? QString() : QFileInfo(probe).absolutePath();
    if (probe.isEmpty())
        return std::nullopt;
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(probe).constData(), &st) != 0)
        return std::nullopt;
    return uint64_t(st.f_bavail) * uint64_t(st.f_frsize);
}

QString SystemPlatform::baseDirectory()
{
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + '/' + kUserDataFolderName;
    const QString base = chooseBaseDirectory(qEnvironmentVariable("QORVALE_BASE_DIR"),
                                             QCoreApplication::applicationDirPath(), userData);
    QDir().mkpath(base);
    return withSlash(base);
}

void SystemPlatform::openUrl(const QString& url) { QDesktopServices::openUrl(QUrl(url)); }

} // namespace qv

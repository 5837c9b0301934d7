#include "ProcessStart.h"
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace qv {

bool isInstalledProgramFolder(const QString& programFolder)
{
    const QDir bin(programFolder);
    return bin.dirName() == QLatin1String("bin")
        && QFileInfo(bin.filePath(QStringLiteral("../share/applications/qorvale.desktop"))).isFile();
}

QString chooseBaseDirectory(const QString& override, const QString& programFolder,
                            const QString& userDataFolder)
{
    if (!override.isEmpty())
        return QDir(override).absolutePath();
    // The program's own folder is a developer's build tree or an unpacked copy; an installed
    // copy shares its folder with other programs and users, so its work goes to the user.
    if (!programFolder.isEmpty() && QFileInfo(programFolder).isWritable()
        && !isInstalledProgramFolder(programFolder))
        return QDir(programFolder).absolutePath();
    return QDir(userDataFolder).absolutePath();
}

QString startupProjectPath(const QString& argument, const QString& currentFolder)
{
    // File managers hand over a path (%f) or, by some launchers, a file:// address.
    if (argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(argument);
        const QString host = url.host();
        if (url.isLocalFile() && (host.isEmpty() || host == QLatin1String("localhost")))
            return url.path(QUrl::FullyDecoded);
        return argument;
    }
    if (argument.isEmpty() || QDir::isAbsolutePath(argument))
        return argument;
    return QDir::cleanPath(QDir(currentFolder).absoluteFilePath(argument));
}

} // namespace qv

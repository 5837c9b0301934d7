#include "WorkFolder.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qv {

WorkFolder::WorkFolder(const QString& baseDirectory)
    : rootPath(QDir::cleanPath(baseDirectory + QLatin1Char('/') + kWorkFolderName) + QLatin1Char('/'))
{
}

QString WorkFolder::pageFolder(int page) const { return rootPath + QString::number(page) + QLatin1Char('/'); }
QString WorkFolder::undoFolder() const { return rootPath + QStringLiteral("undo/"); }
QString WorkFolder::undoPageFolder(int page) const { return undoFolder() + QString::number(page) + QLatin1Char('/'); }
QString WorkFolder::imgFolder() const { return rootPath + QStringLiteral("img/"); }
QString WorkFolder::thumbFolder() const { return rootPath + QStringLiteral("thumb/"); }
QString WorkFolder::stdFile() const { return rootPath + kStdFileName; }

namespace {

QString withoutSlash(const QString& dir)
{
    QString d = dir;
    while (d.size() > 1 && d.endsWith(QLatin1Char('/')))
        d.chop(1);
    return d;
}

void appendTree(const QString& dir, QStringList& out)
{
    const QFileInfoList entries =
        QDir(dir).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                QDir::Name);
    for (const QFileInfo& e : entries) {
        // A link is an entry of its own: listing its target would reach outside the folder.
        if (e.isDir() && !e.isSymLink()) {
            out << e.filePath() + QLatin1Char('/');
            appendTree(e.filePath(), out);
        } else {
            out << e.filePath();
        }
    }
}

} // namespace

QStringList listTree(const QString& dir)
{
    QStringList out;
    const QFileInfo self(withoutSlash(dir));
    if (self.isDir() && !self.isSymLink())
        appendTree(self.filePath(), out);
    return out;
}

void deleteTree(const QString& dir, bool removeSelf)
{
    const QString path = withoutSlash(dir);
    const QFileInfo self(path);
    if (self.isSymLink()) {
        // Never empty the folder a link points to; drop the link itself when asked to.
        if (removeSelf)
            QFile::remove(path);
        return;
    }
    if (!self.isDir())
        return;
    const QStringList entries = listTree(path);
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        if (!QFile::remove(*it))
            QDir().rmdir(*it);
    }
    if (removeSelf)
        QDir().rmdir(path);
}

} // namespace qv

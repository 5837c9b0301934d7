#include "WorkFolder.h"
#include "QorDef.h"
#include "QorIO.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace qv {

WorkFolder::WorkFolder(const QString& baseDirectory)
    : rootPath(QDir::cleanPath(baseDirectory + QLatin1Char('/') + kWorkFolderName) + QLatin1Char('/'))
{
}

QString WorkFolder::pageFolder(int page) const { return rootPath + QString::number(page) + QLatin1Char('/'); }
QString WorkFolder::undoFolder() const { return rootPath + QStringLiteral("undo/"); }
QString WorkFolder::undoPageFolder(int page) const
{
    return undoFolder() + QString::number(page) + QLatin1Char('/');
}
QString WorkFolder::discardFolder() const { return rootPath + QStringLiteral("discard/"); }
QString WorkFolder::imgFolder() const { return rootPath + QStringLiteral("img/"); }
QString WorkFolder::thumbFolder() const { return rootPath + QStringLiteral("thumb/"); }
QString WorkFolder::stdFile() const { return rootPath + kStdFileName; }

bool WorkFolder::holdsWork() const
{
    if (!QDir(imgFolder()).isEmpty(QDir::Files | QDir::Hidden | QDir::System))
        return true;
    for (int page = 0; page < kPageFolderCount; ++page) {
        ItemFileReader reader;
        if (reader.open(pageFolder(page) + kItemFileName) && reader.count() >= 1)
            return true;
    }
    return false;
}

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

namespace {

SlotFileLedger::Stamp stampOf(const QString& path)
{
    struct stat sb;
    if (::stat(QFile::encodeName(path).constData(), &sb) != 0 || !S_ISREG(sb.st_mode))
        return {};
    return { quint64(sb.st_dev), quint64(sb.st_ino), qint64(sb.st_size),
             qint64(sb.st_mtim.tv_sec) * 1000000000 + sb.st_mtim.tv_nsec };
}

} // namespace

void SlotFileLedger::note(const TBigBitmap& bitmap, const QString& path, bool read)
{
    const Stamp stamp = stampOf(path);
    if (bitmap.isNull() || stamp.size < 0) {
        files.remove(path);
        return;
    }
    const qint64 key = bitmap.image().cacheKey();
    quint64 content = bitmaps.value(key);
    if (read) {
        // The file's content, when it was already known unchanged, else something new.
        const auto known = files.constFind(path);
        content = known != files.cend() && known->stamp == stamp ? known->content : nextContent++;
        bitmaps.insert(key, content);
    } else if (content == 0) {
        content = nextContent++;
        bitmaps.insert(key, content);
    }
    files.insert(path, { stamp, content });
}

void SlotFileLedger::noteRead(const TBigBitmap& bitmap, const QString& path) { note(bitmap, path, true); }
void SlotFileLedger::noteWritten(const TBigBitmap& bitmap, const QString& path) { note(bitmap, path, false); }

bool SlotFileLedger::holds(const QString& path, const TBigBitmap& bitmap) const
{
    if (bitmap.isNull())
        return false;
    const quint64 content = bitmaps.value(bitmap.image().cacheKey());
    const auto known = files.constFind(path);
    return content != 0 && known != files.cend() && known->content == content
        && known->stamp == stampOf(path);
}

QString SlotFileLedger::fileHolding(const TBigBitmap& bitmap) const
{
    if (bitmap.isNull())
        return {};
    const quint64 content = bitmaps.value(bitmap.image().cacheKey());
    if (content == 0)
        return {};
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        if (it->content == content && it->stamp == stampOf(it.key()))
            return it.key();
    return {};
}

void SlotFileLedger::clear()
{
    files.clear();
    bitmaps.clear();
}

} // namespace qv

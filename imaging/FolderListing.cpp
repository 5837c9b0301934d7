#include "FolderListing.h"
#include "FileNames.h"
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace qv {
namespace {

bool isOtherKnownType(const QMimeType& mime)
{
    static const char* const kinds[] = {"image/", "text/", "video/", "audio/", "message/"};
    for (const char* k : kinds)
        if (mime.name().startsWith(QLatin1String(k)))
            return true;
    return mime.inherits(QStringLiteral("application/x-executable"))
        || mime.inherits(QStringLiteral("application/x-sharedlib"))
        || mime.inherits(QStringLiteral("text/html"));
}

QMimeType mimeOf(const QString& path, bool isFolder)
{
    static QMimeDatabase db;
    return isFolder ? db.mimeTypeForName(QStringLiteral("inode/directory"))
                    : db.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
}

// Type names per extension: asking the mime database once per file would dominate the listing.
QString typeNameOf(const QString& path, const QString& suffix, bool isFolder)
{
    static QHash<QString, QString> names;
    const QString key = isFolder ? QStringLiteral("/") : suffix.toLower();
    auto it = names.constFind(key);
    if (it == names.constEnd())
        it = names.insert(key, mimeOf(path, isFolder).comment());
    return *it;
}

// Names as people sort them: case ignored, runs of digits by their value ("img2" before "img10").
int naturalCompare(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype si = i, sj = j;
            while (i < a.size() && a[i].isDigit())
                ++i;
            while (j < b.size() && b[j].isDigit())
                ++j;
            QStringView x = QStringView(a).mid(si, i - si), y = QStringView(b).mid(sj, j - sj);
            while (x.size() > 1 && x.front() == u'0')
                x = x.mid(1);
            while (y.size() > 1 && y.front() == u'0')
                y = y.mid(1);
            if (x.size() != y.size())
                return x.size() < y.size() ? -1 : 1;
            if (const int c = x.compare(y); c != 0)
                return c;
            continue;
        }
        const QChar p = a[i++].toCaseFolded(), q = b[j++].toCaseFolded();
        if (p != q)
            return p < q ? -1 : 1;
    }
    return i < a.size() ? 1 : j < b.size() ? -1 : 0;
}

// One entry; false when it cannot be looked at. A link is shown as what it leads to; a link
// that leads nowhere as a file of no size.
bool shellItemOf(int dirFd, const char* name, const QString& base, ShellItem& it, bool& denied)
{
    struct stat st {};
    bool followed = ::fstatat(dirFd, name, &st, 0) == 0;
    if (!followed && (errno == EACCES || ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)) {
        denied = denied || errno == EACCES;
        return false;
    }
    const QString n = pathFromNative(QByteArray(name));
    it.path = base + n;
    it.displayName = displayFileName(n);
    it.isFolder = followed && S_ISDIR(st.st_mode);
    it.size = it.isFolder || !followed ? 0 : st.st_size;
    it.mtimeMs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    it.imageType = shellImageType(it.path, it.isFolder);
    it.typeName = typeNameOf(it.path, QFileInfo(n).suffix(), it.isFolder);
    return true;
}

} // namespace

QString ShellItem::sizeText() const
{
    return isFolder ? QString() : QString::number(size / 1024 + 1) + QStringLiteral("KB");
}

ShellImageType shellImageType(const QString& path, bool isFolder)
{
    if (isFolder)
        return ShellImageType::Folder;
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return ShellImageType::Jpeg;
    if (ext == QLatin1String("bmp"))
        return ShellImageType::Bmp;
    return isOtherKnownType(mimeOf(path, false)) ? ShellImageType::Other : ShellImageType::None;
}

FolderState folderState(const QString& path, QString* canonical)
{
    if (path.isEmpty())
        return FolderState::NoFolder;
    char resolved[PATH_MAX];
    struct stat st {};
    const QByteArray native = nativePath(path);
    if (!::realpath(native.constData(), resolved) || ::stat(resolved, &st) != 0)
        return errno == EACCES ? FolderState::Unreadable : FolderState::NoFolder;
    if (!S_ISDIR(st.st_mode))
        return FolderState::NoFolder;
    if (canonical)
        *canonical = pathFromNative(QByteArray(resolved));
    return FolderState::Readable;
}

QString parentFolder(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'), path.size() > 1 && path.endsWith('/') ? -2 : -1);
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

bool readFolder(const QString& folder, QVector<ShellItem>& out)
{
    out.clear();
    DIR* dir = ::opendir(nativePath(folder).constData());
    if (!dir)
        return false;
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    bool denied = false;
    qsizetype names = 0;
    while (const dirent* e = ::readdir(dir)) {
        if (e->d_name[0] == '.')
            continue; // hidden, and the folder itself and its parent
        ++names;
        ShellItem it;
        if (shellItemOf(::dirfd(dir), e->d_name, base, it, denied))
            out.append(std::move(it));
    }
    ::closedir(dir);
    // Names but none that could be looked at: the folder may be read but not entered.
    if (names > 0 && out.isEmpty() && denied)
        return false;
    std::sort(out.begin(), out.end(), [](const ShellItem& a, const ShellItem& b) {
        if (a.isFolder != b.isFolder)
            return a.isFolder;
        const int c = naturalCompare(a.displayName, b.displayName);
        return c != 0 ? c < 0 : a.path < b.path;
    });
    return true;
}

QVector<ShellItem> listFolder(const QString& folder)
{
    QVector<ShellItem> out;
    readFolder(folder, out);
    return out;
}

} // namespace qv

#include "ImgListModel.h"
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QMimeData>
#include <QMimeDatabase>
#include <algorithm>

namespace qv {
namespace {

// Folder contents change in bursts (a copy of many photos): one rescan after a short calm.
constexpr int kRescanDelayMs = 100;
// A file written in the last moments may still be growing; its thumbnail is made again once it
// has settled.
constexpr qint64 kSettleMs = 2000;

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

ShellItem shellItemOf(const QFileInfo& fi)
{
    ShellItem it;
    it.path = fi.absoluteFilePath();
    it.displayName = fi.fileName();
    it.isFolder = fi.isDir();
    it.size = it.isFolder ? 0 : fi.size();
    it.mtimeMs = fi.lastModified().toMSecsSinceEpoch();
    it.imageType = shellImageType(it.path, it.isFolder);
    it.typeName = typeNameOf(it.path, fi.suffix(), it.isFolder);
    return it;
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

} // namespace

const char* const TImgListModel::kMimeType = "application/x-qorvale-browser-items";

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

QVector<ShellItem> listFolder(const QString& folder)
{
    const QFileInfoList infos =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::NoSort);
    QVector<ShellItem> out;
    out.reserve(infos.size());
    for (const QFileInfo& fi : infos)
        out.append(shellItemOf(fi));
    std::sort(out.begin(), out.end(), [&](const ShellItem& a, const ShellItem& b) {
        if (a.isFolder != b.isFolder)
            return a.isFolder;
        const int c = naturalCompare(a.displayName, b.displayName);
        return c != 0 ? c < 0 : a.displayName < b.displayName;
    });
    return out;
}

TImgListModel::TImgListModel(QObject* parent, int thumbSize)
    : QAbstractListModel(parent),
      queue([this](const ThumbQueue::Job& job, const ThumbResult& r) {
          QMetaObject::invokeMethod(this, [this, job, r] { thumbnailDone(job, r); }, Qt::QueuedConnection);
      }, thumbSize)
{
    setCacheLimit(kDefaultCacheBytes);
    rescanTimer.setSingleShot(true);
    connect(&rescanTimer, &QTimer::timeout, this, &TImgListModel::rescan);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this, [this] { scheduleRescan(kRescanDelayMs); });
}

// The workers deliver into this object: they must be finished before it goes.
TImgListModel::~TImgListModel() { queue.stop(); }

bool TImgListModel::setFolder(const QString& path)
{
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.isDir())
        return false;
    const QString folder = fi.canonicalFilePath();
    if (!watcher.directories().isEmpty())
        watcher.removePaths(watcher.directories());
    watcher.addPath(folder);
    ++generation;
    queue.replace({});
    beginResetModel();
    current = folder;
    items = listFolder(folder);
    reindex();
    endResetModel();
    emit folderChanged(current);
    return true;
}

bool TImgListModel::goUp()
{
    QDir d(current);
    return !current.isEmpty() && d.cdUp() && setFolder(d.absolutePath());
}

void TImgListModel::scheduleRescan(int ms)
{
    if (!rescanTimer.isActive() || rescanTimer.remainingTime() > ms)
        rescanTimer.start(ms);
}

void TImgListModel::rescan()
{
    if (current.isEmpty())
        return;
    if (!QFileInfo(current).isDir()) {
        // The folder itself went away: show the nearest folder above it that still exists.
        QDir d(current);
        while (d.cdUp() && !d.exists()) {
        }
        setFolder(d.exists() ? d.absolutePath() : QDir::rootPath());
        return;
    }
    if (!watcher.directories().contains(current))
        watcher.addPath(current); // a folder replaced under the same name loses its watch
    setItems(listFolder(current));
}

// Applies the difference to the rows in place, so that the selection and the scroll position
// of the rows that stay are kept.
void TImgListModel::setItems(QVector<ShellItem> fresh)
{
    QSet<QString> keep;
    for (const ShellItem& it : fresh)
        keep.insert(it.path);
    for (int r = int(items.size()) - 1; r >= 0; --r) {
        if (keep.contains(items[r].path))
            continue;
        beginRemoveRows({}, r, r);
        items.removeAt(r);
        endRemoveRows();
    }
    // What stays is now in the same order as in `fresh`; walk both and insert what is new.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    bool growing = false;
    for (int r = 0; r < fresh.size(); ++r) {
        growing |= now - fresh[r].mtimeMs < kSettleMs;
        if (r < items.size() && items[r].path == fresh[r].path) {
            if (items[r].size != fresh[r].size || items[r].mtimeMs != fresh[r].mtimeMs) {
                items[r] = fresh[r];
                emit dataChanged(index(r), index(r));
            }
            continue;
        }
        beginInsertRows({}, r, r);
        items.insert(r, fresh[r]);
        endInsertRows();
    }
    reindex();
    if (growing)
        scheduleRescan(int(kSettleMs / 2));
}

void TImgListModel::reindex()
{
    rows.clear();
    rows.reserve(items.size());
    for (int r = 0; r < items.size(); ++r)
        rows.insert(items[r].path, r);
}

int TImgListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(items.size()); }

QVariant TImgListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= items.size())
        return {};
    const ShellItem& it = items[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return it.displayName;
    case Qt::ToolTipRole:
    case PathRole:
        return it.path;
    case TypeNameRole:
        return it.typeName;
    case SizeTextRole:
        return it.sizeText();
    case IsFolderRole:
        return it.isFolder;
    case ImageTypeRole:
        return int(it.imageType);
    case Qt::DecorationRole:
    case ThumbnailRole:
        return thumbnail(index.row());
    case ThumbStateRole:
        return int(thumbState(index.row()));
    default:
        return {};
    }
}

Qt::ItemFlags TImgListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled : Qt::NoItemFlags;
}

QStringList TImgListModel::mimeTypes() const { return {QLatin1String(kMimeType)}; }

QMimeData* TImgListModel::mimeData(const QModelIndexList& indexes) const
{
    QStringList paths;
    for (const QModelIndex& i : indexes)
        if (i.isValid() && i.row() < items.size())
            paths << items[i.row()].path;
    auto* m = new QMimeData;
    m->setData(QLatin1String(kMimeType), paths.join(QLatin1Char('\n')).toUtf8());
    return m;
}

QString TImgListModel::thumbKey(const ShellItem& it)
{
    return it.path + QLatin1Char('\n') + QString::number(it.size) + QLatin1Char('\n') + QString::number(it.mtimeMs);
}

TImgListModel::ThumbState TImgListModel::thumbState(int row) const
{
    if (row < 0 || row >= items.size() || !items[row].isPhoto())
        return NoThumb;
    const Cached* c = cache.object(thumbKey(items[row]));
    return !c ? NoThumb : c->image.isNull() ? ThumbBroken : ThumbReady;
}

QImage TImgListModel::thumbnail(int row) const
{
    const Cached* c = row >= 0 && row < items.size() ? cache.object(thumbKey(items[row])) : nullptr;
    return c ? c->image : QImage();
}

void TImgListModel::requestThumbnails(int first, int last, int ahead)
{
    const int n = int(items.size());
    first = std::clamp(first, 0, n);
    last = std::clamp(last, first - 1, n - 1);
    std::vector<ThumbQueue::Job> jobs;
    auto want = [&](int r) {
        if (r < 0 || r >= n || !items[r].isPhoto())
            return;
        const QString key = thumbKey(items[r]);
        if (!cache.contains(key))
            jobs.push_back({key, items[r].path, items[r].imageType == ShellImageType::Jpeg, generation,
                            disk.find(key), disk.isOn()});
    };
    for (int r = first; r <= last; ++r)
        want(r);
    for (int k = 1; k <= ahead; ++k) {
        want(last + k);   // scrolling on goes down more often than up
        want(first - k);
    }
    queue.replace(std::move(jobs));
}

void TImgListModel::waitForThumbnails()
{
    queue.waitForDone();
    QCoreApplication::sendPostedEvents(this);
}

void TImgListModel::thumbnailDone(const ThumbQueue::Job& job, const ThumbResult& r)
{
    if (job.generation != generation)
        return;
    if (r.outcome == ThumbOutcome::Vanished) {
        scheduleRescan(0); // the row goes with the next listing
        return;
    }
    if (!r.jpeg.isEmpty())
        disk.add(job.key, r.jpeg);
    const int bytes = int(r.image.sizeInBytes() >> 10) + 1;
    cache.insert(job.key, new Cached{r.image}, bytes);
    const int row = rowOfPath(job.path);
    if (row >= 0)
        emit dataChanged(index(row), index(row), {Qt::DecorationRole, ThumbnailRole, ThumbStateRole});
}

} // namespace qv

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

} // namespace

const char* const TImgListModel::kMimeType = "application/x-qorvale-browser-items";

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

FolderState TImgListModel::openFolder(const QString& path)
{
    QString folder;
    const FolderState state = folderState(path, &folder);
    QVector<ShellItem> fresh;
    if (state != FolderState::Readable)
        return state;
    if (!readFolder(folder, fresh))
        return FolderState::Unreadable; // the list and what it showed stay
    if (!watcher.directories().isEmpty())
        watcher.removePaths(watcher.directories());
    watcher.addPath(folder);
    queue.replace({});
    beginResetModel();
    current = folder;
    items = std::move(fresh);
    reindex();
    endResetModel();
    emit folderChanged(current);
    return FolderState::Readable;
}

FolderState TImgListModel::goUp()
{
    return current.isEmpty() || current == QLatin1String("/") ? FolderState::NoFolder : openFolder(parentFolder(current));
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
    if (folderState(current) == FolderState::NoFolder) {
        // The folder itself went away: show the nearest folder above it that still exists.
        QString up = current;
        do
            up = parentFolder(up);
        while (up != QLatin1String("/") && folderState(up) == FolderState::NoFolder);
        setFolder(up);
        return;
    }
    if (!watcher.directories().contains(current))
        watcher.addPath(current); // a folder replaced under the same name loses its watch
    QVector<ShellItem> fresh;
    if (readFolder(current, fresh)) // one that can no longer be read keeps what it showed
        setItems(std::move(fresh));
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
            jobs.push_back({key, items[r].path, items[r].imageType == ShellImageType::Jpeg, disk.find(key), disk.isOn()});
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
    // Kept whenever the file is still listed as it was, also when the folder was opened again
    // meanwhile: a request made then skipped this file as being made, and waits for this result.
    const int listed = rowOfPath(job.path);
    if (listed < 0 || thumbKey(items[listed]) != job.key)
        return;
    if (r.outcome == ThumbOutcome::Vanished) {
        scheduleRescan(0); // the row goes with the next listing
        return;
    }
    if (!r.jpeg.isEmpty())
        disk.add(job.key, r.jpeg);
    const int bytes = int(r.image.sizeInBytes() >> 10) + 1;
    cache.insert(job.key, new Cached{r.image}, bytes);
    emit dataChanged(index(listed), index(listed), {Qt::DecorationRole, ThumbnailRole, ThumbStateRole});
}

} // namespace qv

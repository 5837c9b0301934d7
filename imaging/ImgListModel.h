#pragma once
// The folder list behind the photo browser's thumbnail list view: the entries of one folder
// with their shell facts, kept up to date as the folder changes on disk, and their thumbnails
// made in the background and kept in a bounded cache.
#include "FolderListing.h"
#include "ThumbDiskCache.h"
#include "ThumbQueue.h"
#include <QAbstractListModel>
#include <QCache>
#include <QFileSystemWatcher>
#include <QHash>
#include <QTimer>
#include <memory>

namespace qv {

class TImgListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { PathRole = Qt::UserRole + 1, TypeNameRole, SizeTextRole, IsFolderRole, ImageTypeRole,
                ThumbnailRole, ThumbStateRole };
    enum ThumbState { NoThumb, ThumbReady, ThumbBroken };

    static constexpr int kDefaultThumbSize = 84;
    static constexpr qint64 kDefaultCacheBytes = 64LL << 20;
    static const char* const kMimeType;  // the list's own drag format: full paths, one a line

    explicit TImgListModel(QObject* parent = nullptr, int thumbSize = kDefaultThumbSize);
    ~TImgListModel() override;

    /// @brief Lists the folder; the list stays as it was when the path names no folder or one
    /// whose entries cannot be read.
    FolderState openFolder(const QString& path);
    bool setFolder(const QString& path) { return openFolder(path) == FolderState::Readable; }
    QString folder() const { return current; }
    /// @brief Goes to the parent folder; NoFolder at the file system's root.
    FolderState goUp();
    /// @brief Reads the folder again and applies the differences row by row.
    void rescan();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    const ShellItem& item(int row) const { return items[row]; }
    int rowOfPath(const QString& path) const { return rows.value(path, -1); }
    int thumbnailSize() const { return queue.box(); }
    ThumbState thumbState(int row) const;
    QImage thumbnail(int row) const;

    /// @brief Asks for the thumbnails of rows first..last (on screen), then of `ahead` rows
    /// after and before them; replaces any earlier request.
    void requestThumbnails(int first, int last, int ahead);
    void setCacheLimit(qint64 bytes) { cache.setMaxCost(int(std::max<qint64>(1, bytes >> 10))); }
    qint64 cachedBytes() const { return qint64(cache.totalCost()) << 10; }
    /// @brief Keeps thumbnails in a file from now on (empty: only in memory); read at once.
    void setDiskCacheFile(const QString& file) { disk.open(file); }
    /// @brief Waits until the thumbnails asked for are made, and delivers them (tests, benchmarks).
    void waitForThumbnails();
    /// @brief Thumbnails being made on the workers right now (tests).
    int thumbnailsInProgress() const { return queue.runningCount(); }

signals:
    void folderChanged(const QString& path);

private:
    struct Cached {
        QImage image;  // null for a broken file
    };
    QString current;
    QVector<ShellItem> items;
    QHash<QString, int> rows;
    QCache<QString, Cached> cache;
    ThumbDiskCache disk;
    QFileSystemWatcher watcher;
    QTimer rescanTimer;
    ThumbQueue queue;

    static QString thumbKey(const ShellItem& it);
    void setItems(QVector<ShellItem> fresh);
    void reindex();
    void thumbnailDone(const ThumbQueue::Job& job, const ThumbResult& r);
    void scheduleRescan(int ms);
};

} // namespace qv

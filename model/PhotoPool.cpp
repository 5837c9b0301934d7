// The pool's entries on disk: deleting an entry, rebuilding the pool after a restart, and
// reading a pool photo back for printing.
#include "PhotoPool.h"
#include "Unit2.h"
#include <QDir>
#include <QFile>

namespace qv {
namespace {

using PoolPath = QString (*)(const QString&, int, bool);

void removePoolFiles(const QString& img, int n)
{
    for (bool picture : {false, true}) {
        QFile::remove(poolCopyPath(img, n, picture));
        QFile::remove(poolThumbPath(img, n, picture));
    }
}

// Entry `from`'s copy and thumbnail take index `to`. Whatever is found under the new names,
// in either form, belongs to no entry any more and goes first, so that nothing stale can
// stand in for the moved files. True when the copy arrived.
bool movePoolFiles(const QString& img, int from, int to, bool picture)
{
    bool copyMoved = false;
    for (PoolPath path : {PoolPath(poolCopyPath), PoolPath(poolThumbPath)}) {
        QFile::remove(path(img, to, picture));
        QFile::remove(path(img, to, !picture));
        const bool moved = QFile::rename(path(img, from, picture), path(img, to, picture));
        if (path == PoolPath(poolCopyPath))
            copyMoved = moved;
    }
    return copyMoved;
}

} // namespace

void TForm2::gaDelete(int index)
{
    if (index < 0 || index >= main.pool.size())
        return;
    const QString img = workFolder.imgFolder();
    removePoolFiles(img, index);
    for (int b = index + 1; b < main.pool.size(); ++b) {
        main.pool[b - 1] = main.pool[b];
        movePoolFiles(img, b, b - 1, main.pool[b].isPicture);
    }
    main.pool.removeLast();
    main.window.setPoolGridRows(poolGridRows(int(main.pool.size())));
    main.window.refreshPhotoStrip();
}

void TForm2::infosLoad()
{
    main.pool.clear();
    main.window.setPoolGridRows(0);
    main.window.refreshPhotoStrip();
    const QString img = workFolder.imgFolder();
    QDir().mkpath(workFolder.root());
    if (!QDir(img).exists()) {
        QDir().mkpath(img);
        return;
    }
    constexpr int kLastIndex = kMaxPoolEntries; // indices 0..150 are looked at
    auto hasCopy = [&](int n, bool picture) { return QFile::exists(poolCopyPath(img, n, picture)); };
    int count = 0;
    for (int n = 0; n <= kLastIndex; ++n)
        count += hasCopy(n, true) || hasCopy(n, false);
    main.busy.setCaption(kPoolBusyCaption);
    main.busy.showProgress(count);
    main.busy.hourglass(true);
    for (int n = 0; n <= kLastIndex && main.pool.size() < kMaxPoolEntries; ++n) {
        const bool picture = hasCopy(n, true);
        if (picture)
            QFile::remove(poolCopyPath(img, n, false)); // a picture copy wins over a photo copy
        else if (!hasCopy(n, false))
            continue;
        // A gap in the numbering is closed by moving the files down to the next free index.
        const int k = int(main.pool.size());
        const bool inPlace = k == n || movePoolFiles(img, n, k, picture);
        if (FileExtSub(poolCopyPath(img, inPlace ? k : n, picture), picture ? 2 : 1)) {
            main.busy.setProgress(int(main.pool.size()));
            main.window.setPoolGridRows(poolGridRows(int(main.pool.size())));
        }
    }
    main.busy.hideProgress();
    main.busy.hourglass(false);
}

ImageLoadResult loadPoolPhoto(const QString& imgFolder, const QVector<TInfos>& pool, int poolIndex)
{
    if (poolIndex < 0 || poolIndex >= pool.size())
        return {TBigBitmap(), QStringLiteral("no pool entry %1").arg(poolIndex)};
    return loadJpegFull(poolCopyPath(imgFolder, poolIndex, false));
}

} // namespace qv

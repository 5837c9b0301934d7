#include "PoolBrowser.h"
#include "Dialogs.h"
#include "Numbers.h"
#include "PhotoImportParallel.h"
#include "PhotoPool.h"
#include "Unit2.h"
#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QScopeGuard>
#include <QThread>
#include <chrono>
#include <future>
#include <map>

namespace qv {
namespace {

// JPEG photos about to be added, decoded and encoded on worker threads a few ahead of the one
// being added; the window keeps painting while the calling thread waits for the next.
class PhotoPrefetch {
public:
    PhotoPrefetch(const QVector<BrowserEntry>& entries, const QVector<int>& jpegs, const QString& bookType, bool mmx)
        : entries(entries), order(jpegs), pageWidth(poolPageWidth(bookType)), useMMX(mmx)
    {
        startMore();
    }

    bool has(int i) const { return jobs.count(i) != 0; }

    PreparedPhoto take(int i)
    {
        std::future<PreparedPhoto> f = std::move(jobs[i]);
        jobs.erase(i);
        startMore();
        while (f.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return f.get();
    }

private:
    const QVector<BrowserEntry>& entries;
    QVector<int> order;
    int next = 0;
    int32_t pageWidth;
    bool useMMX;
    std::map<int, std::future<PreparedPhoto>> jobs; // waited for when dropped

    void startMore()
    {
        const size_t window = size_t(std::max(1, QThread::idealThreadCount()));
        while (jobs.size() < window && next < order.size()) {
            const int i = order[next++];
            jobs[i] = std::async(std::launch::async, preparePoolPhoto, entries[i].path, pageWidth, useMMX);
        }
    }
};

// The selected JPEG photos that the pool still has room for, in list order.
QVector<int> jpegsToPrepare(const QVector<BrowserEntry>& entries, qsizetype room)
{
    QVector<int> out;
    for (int i = 0; i < entries.size() && room > 0; ++i) {
        if (!entries[i].selected || !entries[i].photo)
            continue;
        --room;
        if (photoFileKind(entries[i].path) == kFileKindPhoto)
            out << i;
    }
    return out;
}

} // namespace

PoolAddOutcome addPhotosToPool(TForm2& doc, const QVector<BrowserEntry>& entries,
                               const std::function<void(int)>& deselect)
{
    TMainState& st = doc.mainState();
    PoolAddOutcome out;
    const qsizetype m = std::count_if(entries.begin(), entries.end(), [](const BrowserEntry& e) { return e.selected; });
    if (m == 0)
        return out;
    static bool adding = false; // the window keeps handling events while photos are added
    if (adding)
        return out;
    adding = true;
    st.busy.hourglass(true);
    const auto restore = qScopeGuard([&] {
        st.busy.hourglass(false);
        adding = false;
    });
    PhotoPrefetch prefetch(entries, jpegsToPrepare(entries, kMaxPoolEntries - st.pool.size()), doc.bookType, doc.useMMX);
    for (int i = 0; i < entries.size(); ++i) {
        const BrowserEntry& e = entries[i];
        st.busy.setCaption(kLoadingCaption + QString::number(out.added + 1) + QLatin1Char('/') + QString::number(m));
        if (!e.selected || !e.photo) {
            if (e.selected)
                deselect(i);
            continue;
        }
        if (st.pool.size() + 1 > kMaxPoolEntries) {
            dialogs().showmess(kMsgMaxExceeded);
            out.poolFull = true;
            break;
        }
        st.modified = true;
        const int writeFailures = st.poolWriteFailures;
        bool added;
        if (prefetch.has(i)) {
            st.busy.show(); // while the photo is still being decoded
            added = commitPreparedPhoto(doc, e.path, prefetch.take(i));
        } else {
            added = doc.FileExtSub(e.path, 0);
        }
        if (added) {
            ++out.added;
            st.window.setPoolGridRows(poolGridRows(int(st.pool.size())));
        }
        if (st.poolWriteFailures != writeFailures) {
            out.writeFailed = true;
            break;
        }
    }
    return out;
}

bool pageFoldersHoldImages(const WorkFolder& work)
{
    for (int p = 0; p < kPageFolderCount; ++p) {
        QDirIterator it(work.pageFolder(p), {QStringLiteral("*.bmp")}, QDir::Files);
        if (it.hasNext())
            return true;
    }
    return false;
}

bool deletePoolEntryChecked(TForm2& doc, int index)
{
    TMainState& st = doc.mainState();
    st.busy.hourglass(true);
    const auto restore = qScopeGuard([&] { st.busy.hourglass(false); });
    // The check below reads the page folders: the page in memory must be among them.
    if (!doc.writeCurrentPage())
        return false;
    if (pageFoldersHoldImages(doc.work())) {
        dialogs().showmess(kMsgNoDeleteWhileDesigning);
        return false;
    }
    if (index < 0 || index >= st.pool.size())
        return false;
    st.modified = true;
    doc.gaDelete(index);
    return true;
}

QRect poolCellPictureRect(const QRect& cell, int w, int h)
{
    const double L = cell.left(), T = cell.top();
    const double R = L + cell.width(), B = T + cell.height();
    double l, t, r, b;
    if (h < w) {
        const double f = 79.0 * h / (2.0 * w);
        l = L + 5, r = R - 5, t = T + 49 - f, b = B - 49 + f;
    } else {
        const double g = 78.0 * w / (2.0 * nonZero(h));
        t = T + 5, b = B - 15, l = L + 44.5 - g, r = R - 44.5 + g;
    }
    const int il = nearest(l), it = nearest(t);
    return QRect(il, it, nearest(r) - il, nearest(b) - it);
}

QString poolCellThumbFile(const QString& imgFolder, int n)
{
    for (bool picture : {false, true}) {
        const QString f = poolThumbPath(imgFolder, n, picture);
        if (QFileInfo::exists(f))
            return f;
    }
    return {};
}

} // namespace qv

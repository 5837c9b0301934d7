// The photo browser on a folder of 1,000 JPEGs of 24 megapixels, and the add button on 20 of
// them, each set beside libjpeg-turbo's tools doing the same decoding in the same run.
//
//   bench_photobrowser --list SOURCES     listing, first screenful of thumbnails, the longest
//                                         stall of the event loop while scrolling to the end,
//                                         peak memory
//   bench_photobrowser --import SOURCES   adding 20 photos as the add button does
//
// SOURCES is the folder bench_import --make-photos fills (its ten photos of 6000 x 4000 are
// used); scripts/bench-photobrowser runs both. The list folder holds hard links to those ten.
#include "PoolBrowser.h"
#include "TImgListView.h"
#include "Unit2.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using namespace qv;

namespace {

double cpuMs(int who)
{
    rusage u{};
    getrusage(who, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double peakMiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

struct Timing {
    double wall = 0, cpu = 0;
};

/// Runs shell commands one after another; wall and processor time of the children.
Timing runPeer(const QStringList& commands)
{
    const double cpu0 = cpuMs(RUSAGE_CHILDREN);
    QElapsedTimer t;
    t.start();
    for (const QString& c : commands)
        QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), c});
    return {double(t.nsecsElapsed()) / 1e6, cpuMs(RUSAGE_CHILDREN) - cpu0};
}

QStringList sourcePhotos(const QString& folder)
{
    QStringList out;
    for (const QString& f : QDir(folder).entryList({QStringLiteral("*_6000x4000.jpg")}, QDir::Files, QDir::Name))
        out << folder + QLatin1Char('/') + f;
    return out;
}

QStringList linkedCopies(const QStringList& sources, const QString& folder, int count)
{
    QDir().mkpath(folder);
    QStringList out;
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("%1/p%2.jpg").arg(folder).arg(i, 4, 10, QLatin1Char('0'));
        if (!QFile::exists(path))
            ::link(QFile::encodeName(sources[i % sources.size()]).constData(), QFile::encodeName(path).constData());
        out << path;
    }
    return out;
}

bool waitUntil(const std::function<bool()>& done, int ms = 120000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

int visibleRows(TImgListView& v, int* first)
{
    const QModelIndex top = v.indexAt(QPoint(1, 1));
    const QModelIndex bottom = v.indexAt(QPoint(1, v.viewport()->height() - 2));
    *first = top.isValid() ? top.row() : 0;
    return (bottom.isValid() ? bottom.row() : v.count() - 1) - *first + 1;
}

bool screenReady(TImgListView& v)
{
    int first = 0;
    const int n = visibleRows(v, &first);
    for (int r = first; r < first + n; ++r)
        if (v.items().thumbState(r) == TImgListModel::NoThumb)
            return false;
    return true;
}

// The longest gap between the ticks of a 1 ms timer while `work` runs its course.
qint64 longestStall(const std::function<bool()>& done, const std::function<void()>& start = {})
{
    qint64 longest = 0;
    QElapsedTimer gap;
    gap.start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { longest = std::max(longest, gap.restart()); });
    watch.start(1);
    if (start)
        start();
    waitUntil(done);
    return longest;
}

int listBench(const QString& sourceFolder)
{
    QElapsedTimer idle;
    idle.start();
    const qint64 idleStall = longestStall([&] { return idle.elapsed() > 3000; });
    std::printf("longest event-loop stall in 3 s with nothing to do (the machine's own noise): %lld ms\n", idleStall);

    const QStringList files = linkedCopies(sourcePhotos(sourceFolder), QDir::tempPath() + "/qv-bench-list", 1000);
    const QString folder = files.first().section('/', 0, -2);
    // The first screenful, best of five fresh lists (nothing cached), and djpeg on the same files.
    double listMs = 1e18, screenMs = 1e18, screenCpu = 1e18;
    Timing djpeg{1e18, 1e18};
    int n = 0;
    for (int run = 0; run < 5; ++run) {
        TImgListView fresh;
        fresh.resize(282, 450); // the list at the window's default size
        fresh.show();
        QCoreApplication::processEvents();
        QElapsedTimer t;
        t.start();
        fresh.goToPath(folder);
        fresh.viewport()->repaint();
        listMs = std::min(listMs, double(t.nsecsElapsed()) / 1e6);
        const double cpu0 = cpuMs(RUSAGE_SELF);
        t.restart();
        waitUntil([&] { return screenReady(fresh); });
        screenMs = std::min(screenMs, double(t.nsecsElapsed()) / 1e6);
        screenCpu = std::min(screenCpu, cpuMs(RUSAGE_SELF) - cpu0);
        int first = 0;
        n = visibleRows(fresh, &first);
        QStringList peer;
        for (int r = first; r < first + n; ++r)
            peer << QStringLiteral("djpeg -scale 1/8 -outfile /dev/null %1").arg(files[r]);
        const Timing d = runPeer(peer);
        djpeg = {std::min(djpeg.wall, d.wall), std::min(djpeg.cpu, d.cpu)};
    }
    std::printf("listing of %d entries: %.1f ms (best of 5)\n", int(files.size()), listMs);
    std::printf("first screenful (%d thumbnails): %.1f ms wall, %.1f ms cpu; djpeg -scale 1/8 one after another: "
                "%.1f ms wall, %.1f ms cpu; ratio wall %.2f (best of 5 each)\n",
                n, screenMs, screenCpu, djpeg.wall, djpeg.cpu, screenMs / djpeg.wall);

    TImgListView view;
    view.resize(282, 450);
    view.show();
    view.goToPath(folder);
    QElapsedTimer t;
    // Scroll a screenful every 50 ms to the end while a 1 ms timer watches the event loop.
    QTimer scroller;
    QObject::connect(&scroller, &QTimer::timeout, [&] {
        QScrollBar* bar = view.verticalScrollBar();
        bar->setValue(bar->value() + bar->pageStep());
    });
    t.restart();
    const qint64 longestGap = longestStall(
        [&] { return view.verticalScrollBar()->value() == view.verticalScrollBar()->maximum() && screenReady(view); },
        [&] { scroller.start(50); });
    std::printf("scrolling through %d entries: %.0f ms; longest event-loop stall %lld ms; peak memory %.1f MiB; "
                "thumbnail cache %.1f MiB\n",
                int(view.count()), double(t.elapsed()), longestGap, peakMiB(), view.items().cachedBytes() / 1048576.0);
    return 0;
}

int importBench(const QString& sourceFolder)
{
    const QStringList files = linkedCopies(sourcePhotos(sourceFolder), QDir::tempPath() + "/qv-bench-import", 20);
    QStringList peer;
    QTemporaryDir out;
    for (const QString& f : files)
        peer << QStringLiteral("djpeg -scale 1/8 -bmp -outfile %2/t.bmp %1; djpeg -scale 1/2 %1 | cjpeg -quality 90 -outfile %2/c.jpg")
                    .arg(f, out.path());
    Timing best{1e18, 1e18}, bestPeer{1e18, 1e18};
    for (int run = 0; run < 3; ++run) {
        QTemporaryDir base;
        TMainState st;
        TForm2 doc(st, base.path() + QLatin1Char('/'));
        QVector<BrowserEntry> entries;
        for (const QString& f : files)
            entries.append({f, true, true});
        const double cpu0 = cpuMs(RUSAGE_SELF);
        QElapsedTimer t;
        t.start();
        const PoolAddOutcome o = addPhotosToPool(doc, entries, [](int) {});
        const Timing ours{double(t.nsecsElapsed()) / 1e6, cpuMs(RUSAGE_SELF) - cpu0};
        if (o.added != files.size())
            std::fprintf(stderr, "only %d of %d added\n", o.added, int(files.size()));
        const Timing p = runPeer(peer);
        best = {std::min(best.wall, ours.wall), std::min(best.cpu, ours.cpu)};
        bestPeer = {std::min(bestPeer.wall, p.wall), std::min(bestPeer.cpu, p.cpu)};
    }
    std::printf("adding %d photos of 6000 x 4000: %.0f ms wall, %.0f ms cpu; script: %.0f ms wall, %.0f ms cpu; "
                "ratio wall %.2f, cpu %.2f (best of 3)\n",
                int(files.size()), best.wall, best.cpu, bestPeer.wall, bestPeer.cpu, best.wall / bestPeer.wall,
                best.cpu / bestPeer.cpu);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--list"))
        return listBench(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("--import"))
        return importBench(args[2]);
    std::fprintf(stderr, "usage: bench_photobrowser --list|--import SOURCE_FOLDER\n");
    return 2;
}

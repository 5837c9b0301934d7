// Writing and reading a page of 8 photos (PbfSave(-1) then PbfLoad(-1)), and the page switch of
// the navigator through a click on its pictures in the main window, against writing and reading
// the same files with plain write() and read() calls, in the same run.
//
//   bench_pagestore                      the timings
//   bench_pagestore --load-memory        peak memory of one page load, in a fresh process
#include "BmpCodec.h"
#include "Pause.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit4.h"
#include <QApplication>
#include <QMouseEvent>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScrollArea>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace qv;

namespace {

constexpr int kPage = 5;
constexpr int kImages = 8;
constexpr int kFullW = 1480, kFullH = 1110;
constexpr int kThumbW = 296, kThumbH = 222;

/// Photo-like content: smooth gradients, a few soft shapes and sensor noise.
TBigBitmap photo(int w, int h, uint32_t seed)
{
    TBigBitmap b(w, h, 24);
    uint32_t noise = seed * 2654435761u + 1;
    const int cx = int(seed * 97 % uint32_t(w)), cy = int(seed * 53 % uint32_t(h));
    for (int y = 0; y < h; ++y) {
        uchar* row = b.scanLine(y);
        for (int x = 0; x < w; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int n = int(noise >> 28) - 8;
            const int dx = x - cx, dy = y - cy;
            const int spot = (dx * dx + dy * dy) < (h * h / 9) ? 40 : 0;
            row[3 * x + 0] = uchar(std::clamp(x * 200 / w + 30 + n, 0, 255));
            row[3 * x + 1] = uchar(std::clamp(y * 180 / h + 40 + spot + n, 0, 255));
            row[3 * x + 2] = uchar(std::clamp((x + y) * 120 / (w + h) + 90 - spot + n, 0, 255));
        }
    }
    return b;
}

/// Puts 8 photos and two texts on the document's current page.
void fillPage(TForm2* doc, TMainState& st)
{
    for (int i = 1; i <= kImages; ++i) {
        doc->addItem();
        TItemStatus& it = doc->items.last();
        it.kind = kKindImage;
        it.width = 700;
        it.height = 525;
        it.centerX = (i % 2 ? -1 : 1) * 370;
        it.centerY = (i - 4) * 100;
        it.text = kPoolPhotoName + QString::number(i + 1);
        st.cache.addImage(photo(kFullW, kFullH, uint32_t(i)));
        st.cache.THaddImage(photo(kThumbW, kThumbH, uint32_t(i)));
        it.imageSlot = st.cache.imageCount();
    }
    for (const char* t : { "春の旅行", "二〇二四年" }) {
        doc->addItem();
        TItemStatus& it = doc->items.last();
        it.kind = kKindText;
        it.fontName = kDefaultFontName;
        it.text = QString::fromUtf8(t);
    }
}

/// A document holding one page of 8 photos and two texts, in its own work folder.
struct PageFixture {
    QTemporaryDir dir;
    TMainState st;
    std::unique_ptr<TForm2> doc;

    PageFixture()
    {
        doc = std::make_unique<TForm2>(st, dir.path());
        doc->currentPage = kPage;
        doc->setQorType();
        fillPage(doc.get(), st);
    }
};

/// Changes one pixel of every picture, as an edit would: each must then be written again.
void touchEveryPicture(TPageImageCache& cache, uint32_t value)
{
    for (int k = 1; k <= kImages; ++k) {
        TBigBitmap full = cache.imageDrawing(k, false);
        TBigBitmap thumb = cache.imageDrawing(k, true);
        full.setPixel(0, 0, value);
        thumb.setPixel(0, 0, value);
        cache.setImage(k, full);
        cache.setThumb(k, thumb);
    }
}

/// Leaving the page and opening it again. With changePictures every picture differs from the
/// files each time (the worst case: the page and its snapshot are written in full); without,
/// the pictures are those last read or written (a page switch where no photo was edited).
void pageStoreSaveLoad(benchmark::State& state, bool changePictures)
{
    PageFixture f;
    uint32_t value = 0;
    for (auto _ : state) {
        if (changePictures) {
            state.PauseTiming();
            touchEveryPicture(f.st.cache, ++value);
            state.ResumeTiming();
        }
        if (!f.doc->PbfSave(-1) || !f.doc->PbfLoad(-1) || f.st.cache.imageCount() != kImages)
            state.SkipWithError("page store failed");
    }
}
void BM_PageStoreSaveLoad(benchmark::State& state) { pageStoreSaveLoad(state, false); }
void BM_PageStoreSaveLoadChanged(benchmark::State& state) { pageStoreSaveLoad(state, true); }
BENCHMARK(BM_PageStoreSaveLoad)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_PageStoreSaveLoadChanged)->Unit(benchmark::kMillisecond)->MinTime(3.0);

/// The main window with a Palm book whose page folder kPage holds 8 photos, open on that page.
struct WindowFixture {
    QTemporaryDir dir;
    std::unique_ptr<TForm1> form;

    WindowFixture()
    {
        form = std::make_unique<TForm1>(dir.path() + QLatin1Char('/'));
        form->createDocument();
        form->state.window.returnToSelectTool = [] {};
        form->state.print.clearPaperName = [] {};
        form->state.window.rebuildNavigator();
        click(kPage);
        fillPage(form->Form2.get(), form->state);
        click(kPage + 1);
        click(kPage);
    }
    /// A click on the right half of page folder n's picture.
    void click(int n)
    {
        // The navigator's own pictures: other panels have controls of the same names.
        QWidget* pic = form->SB6->findChild<QWidget*>(QStringLiteral("Image%1").arg(n + 1));
        const QPoint at(pic->width() - 5, 5);
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(t, at, pic->mapToGlobal(at), Qt::LeftButton,
                          t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(pic, &e);
        }
    }
};

/// Leaving the page of 8 photos for the next one and coming back by two navigator clicks:
/// the page is written once and read once, its thumbnail drawn, as plain write + read.
void navigatorSwitch(benchmark::State& state, bool changePictures)
{
    setPauseScale(0); // the fixed waits of a switch are not the work measured here
    WindowFixture f;
    uint32_t value = 0;
    for (auto _ : state) {
        if (changePictures) {
            state.PauseTiming();
            touchEveryPicture(f.form->state.cache, ++value);
            state.ResumeTiming();
        }
        f.click(kPage + 1);
        if (f.form->Form2->currentPage != kPage + 1 || f.form->state.cache.imageCount() != 0) {
            state.SkipWithError("the click did not open the next page");
            break;
        }
        f.click(kPage);
        if (f.form->Form2->currentPage != kPage || f.form->state.cache.imageCount() != kImages) {
            state.SkipWithError("the page lost its photos");
            break;
        }
    }
}
void BM_NavigatorSwitch(benchmark::State& state) { navigatorSwitch(state, false); }
void BM_NavigatorSwitchChanged(benchmark::State& state) { navigatorSwitch(state, true); }
BENCHMARK(BM_NavigatorSwitch)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_NavigatorSwitchChanged)->Unit(benchmark::kMillisecond)->MinTime(3.0);

/// The files of the page as bytes, with their names.
struct FileSet {
    std::vector<std::pair<QByteArray, QByteArray>> files; // name, bytes
    size_t largest = 0;

    explicit FileSet(PageFixture& f)
    {
        for (int k = 1; k <= kImages; ++k) {
            add(WorkFolder::slotName(k), encodeBmp24(f.st.cache.imageDrawing(k, false)));
            add(WorkFolder::thumbSlotName(k), encodeBmp24(f.st.cache.imageDrawing(k, true)));
        }
        add(kItemFileName, encodeItemFile(f.doc->items));
    }
    void add(const QString& name, const QByteArray& bytes)
    {
        files.emplace_back(QFile::encodeName(name), bytes);
        largest = std::max(largest, size_t(bytes.size()));
    }
};

bool writeAll(const QByteArray& path, const QByteArray& bytes, bool sync)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    if (sync)
        ok = ::fdatasync(fd) == 0 && ok;
    return ::close(fd) == 0 && ok;
}

bool readAll(const QByteArray& path, std::vector<char>& buffer)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return false;
    struct stat sb;
    const bool ok = ::fstat(fd, &sb) == 0 && size_t(sb.st_size) <= buffer.size()
        && ::read(fd, buffer.data(), size_t(sb.st_size)) == sb.st_size;
    ::close(fd);
    return ok;
}

/// Plain calls on the same file set; with withSnapshot the set is written a second time, as the
/// undo snapshot of a page load; with sync every file is flushed to the disk as it is written.
void plainWriteRead(benchmark::State& state, bool withSnapshot, bool sync = false)
{
    PageFixture f;
    const FileSet set(f);
    const QByteArray page = QFile::encodeName(f.dir.path()) + "/plain/";
    const QByteArray undo = QFile::encodeName(f.dir.path()) + "/plain-undo/";
    QDir().mkpath(QString::fromLocal8Bit(page));
    QDir().mkpath(QString::fromLocal8Bit(undo));
    std::vector<char> buffer(set.largest);
    for (auto _ : state) {
        bool ok = true;
        for (const auto& [name, bytes] : set.files)
            ok &= writeAll(page + name, bytes, sync);
        for (const auto& [name, bytes] : set.files)
            ok &= readAll(page + name, buffer);
        if (withSnapshot) {
            for (const auto& [name, bytes] : set.files)
                ok &= writeAll(undo + name, bytes, sync);
        }
        benchmark::DoNotOptimize(buffer.data());
        if (!ok)
            state.SkipWithError("plain file calls failed");
    }
}
void BM_PlainWriteRead(benchmark::State& state) { plainWriteRead(state, false); }
void BM_PlainWriteReadWriteAgain(benchmark::State& state) { plainWriteRead(state, true); }
void BM_PlainWriteReadWriteAgainSynced(benchmark::State& state) { plainWriteRead(state, true, true); }
BENCHMARK(BM_PlainWriteRead)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_PlainWriteReadWriteAgain)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_PlainWriteReadWriteAgainSynced)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// --- peak memory of a load ---

long statusKb(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

/// Runs in a fresh process: loads the page written by the parent and reports the peak growth.
int loadMemoryChild(const QString& base)
{
    TMainState st;
    TForm2 doc(st, base);
    doc.currentPage = kPage;
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return 2; // the peak cannot be reset on this system
    clear.close();
    const long before = statusKb("VmRSS:");
    const bool ok = doc.PbfLoad(-1) && st.cache.imageCount() == kImages;
    const long peak = statusKb("VmHWM:");
    const long after = statusKb("VmRSS:");
    std::printf("%s %ld %ld\n", ok ? "ok" : "failed", peak - before, after - before);
    return ok ? 0 : 1;
}

int loadMemory()
{
    PageFixture f;
    if (!f.doc->PbfSave(-1))
        return 1;
    qint64 pixels = 0;
    for (int k = 1; k <= kImages; ++k) {
        pixels += f.st.cache.imageDrawing(k, false).image().sizeInBytes();
        pixels += f.st.cache.imageDrawing(k, true).image().sizeInBytes();
    }
    QProcess child;
    const QStringList args = { QStringLiteral("--load-memory-child"), f.dir.path() };
    child.start(QCoreApplication::applicationFilePath(), args);
    child.waitForFinished(-1);
    const QList<QByteArray> out = child.readAllStandardOutput().trimmed().split(' ');
    if (child.exitCode() != 0 || out.size() != 3) {
        std::printf("load memory: child failed (exit %d)\n", child.exitCode());
        return 1;
    }
    const double kbPerMib = 1024.0;
    std::printf("page bitmaps: %.1f MiB\n", double(pixels) / (1024.0 * 1024.0));
    const long peakKb = out[1].toLong(), heldKb = out[2].toLong();
    std::printf("load peak growth: %.1f MiB (%.2fx the bitmaps), held after the load: %.1f MiB\n",
                peakKb / kbPerMib, peakKb * 1024.0 / double(pixels), heldKb / kbPerMib);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--load-memory-child") == 0)
        return loadMemoryChild(QString::fromLocal8Bit(argv[2]));
    if (argc == 2 && qstrcmp(argv[1], "--load-memory") == 0)
        return loadMemory();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

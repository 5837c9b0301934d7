// The two heavy steps of a photo import, on large camera-sized JPEGs, for scripts/bench-compare
// to set beside libjpeg-turbo's own tools doing the same work:
//   BM_ScreenStep/k  the screen decode (1/8 at these sizes), upright turn, page-width and
//                    thumbnail shrinks and the thumbnail BMP       (peer: djpeg -scale 1/8 -bmp)
//   BM_CopyStep/k    the pool copy: file copy, half-size decode, quality-90 encode, safe write
//                                          (peer: djpeg -scale 1/2 | cjpeg -quality 90)
//   BM_CopyCodec/k   the copy's decode and encode alone, in memory
// k = 0: ten photos of 4000 x 3000, k = 1: ten of 6000 x 4000, stretched from the real photos
// of the test data (tests/data/photos of the source tree, or $QV_TESTDATA/photos; camera quality
// 95) and made once in $QV_BENCH_PHOTOS (default /tmp/qv-bench-photos).
//
//   bench_import                   the timings
//   bench_import --make-photos     only make the photos and print their folder
//   bench_import --source-photos   only print the real photos they are stretched from
// Without any real photo it says so and ends with status 2.
#include "BmpCodec.h"
#include "ExifOrientation.h"
#include "JpegCodec.h"
#include "PhotoPool.h"
#include "Resize.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace qv;

namespace {

constexpr int kPhotosPerSize = 10;
constexpr int kPalmPageWidth = 1480;
const QSize kSizes[] = {{4000, 3000}, {6000, 4000}};

QString photoFolder()
{
    const QByteArray env = qgetenv("QV_BENCH_PHOTOS");
    return env.isEmpty() ? QDir::tempPath() + "/qv-bench-photos" : QString::fromLocal8Bit(env);
}

QString sourceFolder()
{
    // The source tree's test data wherever the program runs from, as the tests find theirs.
    const QByteArray env = qgetenv("QV_TESTDATA");
    return (env.isEmpty() ? QStringLiteral(QV_TESTDATA_DIR) : QString::fromLocal8Bit(env)) + "/photos";
}

// The largest real photos first: their detail, not an upscaled blur, sets the decode cost.
QStringList sourcePhotos()
{
    QDir dir(sourceFolder());
    QFileInfoList files = dir.entryInfoList({"*.jpg"}, QDir::Files);
    std::sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) { return a.size() > b.size(); });
    QStringList paths;
    for (const QFileInfo& f : files)
        paths << f.filePath();
    return paths;
}

QStringList photosOfSize(int k)
{
    const QSize size = kSizes[k];
    const QString folder = photoFolder();
    QDir().mkpath(folder);
    const QStringList sources = sourcePhotos();
    QStringList out;
    for (int i = 0; i < kPhotosPerSize; ++i) {
        const QString path = QStringLiteral("%1/p%2_%3x%4.jpg").arg(folder).arg(i, 2, 10, QChar('0')).arg(size.width()).arg(size.height());
        if (!QFile::exists(path)) {
            const ImageLoadResult src = decodeJpegFile(sources[i % sources.size()]);
            const QImage big = src.bitmap.image().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            if (!writeJpegFile(TBigBitmap::fromImage(big), path, 95))
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        }
        out << path;
    }
    return out;
}

void screenStep(benchmark::State& state)
{
    const QStringList photos = photosOfSize(int(state.range(0)));
    QTemporaryDir out;
    const QString thumb = out.path() + "/t_.bmp";
    for (auto _ : state) {
        for (const QString& p : photos) {
            TBigBitmap b = decodePoolSource(readPoolSource(p, true));
            fitLongSide(b, kPalmPageWidth, false, true);
            fitLongSide(b, kPalmPageWidth / 5, true, true);
            benchmark::DoNotOptimize(writeBmpFile(b, thumb));
        }
    }
    state.SetItemsProcessed(state.iterations() * photos.size());
}

void copyStep(benchmark::State& state)
{
    const QStringList photos = photosOfSize(int(state.range(0)));
    QTemporaryDir out;
    const QString copy = out.path() + "/0_.jpg";
    for (auto _ : state) {
        for (const QString& p : photos) {
            QFile::remove(copy);
            benchmark::DoNotOptimize(makePoolCopy(readPoolSource(p, true), copy, false));
        }
    }
    state.SetItemsProcessed(state.iterations() * photos.size());
}

void copyCodec(benchmark::State& state)
{
    const QStringList photos = photosOfSize(int(state.range(0)));
    for (auto _ : state) {
        for (const QString& p : photos) {
            const ImageLoadResult r = loadJpegFull(p);
            benchmark::DoNotOptimize(encodeJpeg(r.bitmap, kPoolJpegQuality));
        }
    }
    state.SetItemsProcessed(state.iterations() * photos.size());
}

} // namespace

BENCHMARK(screenStep)->Name("BM_ScreenStep")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(copyStep)->Name("BM_CopyStep")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(copyCodec)->Name("BM_CopyCodec")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    const QStringList sources = sourcePhotos();
    if (sources.isEmpty()) {
        std::fprintf(stderr, "bench_import: no photos (*.jpg) in %s to make the benchmark's photos from; "
                             "set QV_TESTDATA to a folder holding photos/\n", qPrintable(sourceFolder()));
        return 2;
    }
    if (argc > 1 && std::strcmp(argv[1], "--source-photos") == 0) {
        for (const QString& p : sources)
            std::printf("%s\n", qPrintable(p));
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--make-photos") == 0) {
        for (int k = 0; k < 2; ++k)
            photosOfSize(k);
        std::printf("%s\n", qPrintable(photoFolder()));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Turning a 3500 x 3500 24-bit photo by 37 degrees with RotateBitmap, against copying the same
// bytes into a freshly allocated bitmap in the same run. Compare the medians:
//
//   bench_rotate --benchmark_repetitions=7 --benchmark_report_aggregates_only=true
#include "XRotateBitmap.h"
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstring>

using namespace qv;

namespace {

constexpr int kSide = 3500;
constexpr int kAngle = 370; // tenths of a degree

// Smooth gradients with a little noise, like a photo at print resolution.
const TBigBitmap& source()
{
    static const TBigBitmap bitmap = [] {
        TBigBitmap b(kSide, kSide, 24);
        uint32_t noise = 12345;
        for (int y = 0; y < kSide; ++y) {
            uchar* row = b.scanLine(y);
            for (int x = 0; x < kSide; ++x) {
                noise = noise * 1664525u + 1013904223u;
                const int n = int(noise >> 28) - 8;
                row[3 * x + 0] = uchar(std::clamp(x * 200 / kSide + 30 + n, 0, 255));
                row[3 * x + 1] = uchar(std::clamp(y * 180 / kSide + 40 + n, 0, 255));
                row[3 * x + 2] = uchar(std::clamp((x + y) * 120 / (2 * kSide) + 90 + n, 0, 255));
            }
        }
        return b;
    }();
    return bitmap;
}

void BM_RotateBitmapGrow(benchmark::State& state)
{
    const TBigBitmap& src = source();
    for (auto _ : state) {
        TBigBitmap out = RotateBitmap(src, kAngle, false, true);
        benchmark::DoNotOptimize(out.scanLine(0));
    }
    state.SetBytesProcessed(state.iterations() * src.bytesPerLine() * src.height());
}

void BM_RotateBitmapSameSize(benchmark::State& state)
{
    const TBigBitmap& src = source();
    for (auto _ : state) {
        TBigBitmap out = RotateBitmap(src, kAngle, false, false);
        benchmark::DoNotOptimize(out.scanLine(0));
    }
    state.SetBytesProcessed(state.iterations() * src.bytesPerLine() * src.height());
}

// The peer: a new bitmap of the same format and the source's bytes copied into it.
void BM_PlainCopy(benchmark::State& state)
{
    const QImage& src = source().image();
    for (auto _ : state) {
        QImage out(src.size(), src.format());
        std::memcpy(out.bits(), src.constBits(), size_t(src.sizeInBytes()));
        benchmark::DoNotOptimize(out.constBits());
    }
    state.SetBytesProcessed(state.iterations() * src.sizeInBytes());
}

} // namespace

BENCHMARK(BM_RotateBitmapGrow)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RotateBitmapSameSize)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->MinTime(2.0);



// TEMPORARY screen paint check
#include "PageRenderer.h"
#include <QPainter>
#include <QTemporaryDir>
namespace {
struct Paint {
    QTemporaryDir dir;
    TMainState st;
    TForm2 doc{st, dir.path()};
    PageRenderer r{doc, st};
    Paint() {
        doc.currentPage = 3; doc.setQorType(); doc.zoomLevel = 8;
        r.paintBox = QSize(1920, 1080); r.fitBackBuffer(); r.backBuffer.fill(Qt::white);
        st.originX = 960; st.originY = 540;
        for (int i = 1; i <= 8; ++i) {
            TBigBitmap t(296, 222, 24);
            t.image().fill(QColor(20 * i, 100, 200 - 10 * i));
            st.cache.setThumb(i, t);
            TItemStatus it; it.kind = kKindImage; it.imageSlot = i; it.width = 700; it.height = 525;
            it.centerX = (i % 2 ? -1 : 1) * 370; it.centerY = (i - 4) * 150; it.angle = i == 3 ? 15 : i == 6 ? 330 : 0;
            doc.items.append(it);
        }
        for (int i = 0; i < 6; ++i) {
            TItemStatus it; it.kind = i % 2 ? kKindRect : kKindEllipse; it.width = 300; it.height = 200;
            it.centerX = -600 + 200 * i; it.centerY = 300; it.angle = 20 * i; it.color = 0x3366CC;
            doc.items.append(it);
        }
    }
};
void BM_DrawItemsScreen(benchmark::State& state)
{
    Paint p;
    for (auto _ : state) p.r.drawItems(0);
}
void BM_BareScreen(benchmark::State& state)
{
    Paint p;
    QVector<QImage> imgs;
    for (int i = 1; i <= 8; ++i) imgs << p.st.cache.imageDrawing(i, true).image().convertToFormat(QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter q(&p.r.backBuffer);
        q.setRenderHint(QPainter::SmoothPixmapTransform);
        for (int i = 1; i <= 8; ++i) {
            const auto& it = p.doc.items[i];
            const double a = p.doc.amp();
            QRectF box(960 + a * it.centerX - a * it.width / 2, 540 + a * it.centerY - a * it.height / 2, a * it.width, a * it.height);
            q.save(); q.translate(box.center()); q.rotate(-it.angle);
            q.drawImage(QRectF(-box.width() / 2, -box.height() / 2, box.width(), box.height()), imgs[i - 1]);
            q.restore();
        }
        q.setPen(Qt::NoPen); q.setBrush(QColor(0x33, 0x66, 0xCC));
        for (int i = 9; i < p.doc.items.size(); ++i) q.drawEllipse(QRect(900 + 10 * i, 600, 115, 77));
    }
}
}
BENCHMARK(BM_DrawItemsScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareScreen)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

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

BENCHMARK_MAIN();

// Printing one sheet: the quarter turn of a 3500 x 3500 page bitmap on raw rows against
// QImage::transformed by 90 degrees on the same bitmap, and the whole preparation of a Palm page
// with 8 photos at 600 dpi (printer target, turn, cut to the printable area; /1 also the sheet's
// PDF document that the job sends).
#include "PageRenderer.h"
#include "SheetPdf.h"
#include "SheetPrinting.h"
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTransform>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

using namespace qv;

namespace {

QImage pageBitmap(QImage::Format format)
{
    QImage image(3500, 3500, format);
    QPainter p(&image);
    QLinearGradient g(0, 0, 3500, 3500);
    g.setColorAt(0, QColor(30, 120, 200));
    g.setColorAt(1, QColor(240, 200, 40));
    p.fillRect(image.rect(), g);
    return image;
}

void BM_QuarterTurnRawRows(benchmark::State& state)
{
    const QImage page = pageBitmap(state.range(0) == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32);
    for (auto _ : state)
        benchmark::DoNotOptimize(quarterTurn(page, true, [](int) {}));
}

void BM_QImageTransformed90(benchmark::State& state)
{
    const QImage page = pageBitmap(state.range(0) == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32);
    for (auto _ : state)
        benchmark::DoNotOptimize(page.transformed(QTransform().rotate(90)));
}

/// A pooled photo as the printer target reads it: 1600 x 1200, 24 bits.
TBigBitmap poolPhoto(int n)
{
    QImage image(1600, 1200, QImage::Format_BGR888);
    QPainter p(&image);
    QRadialGradient g(800, 600, 900);
    g.setColorAt(0, QColor::fromHsv(n * 40, 160, 240));
    g.setColorAt(1, QColor::fromHsv(n * 40 + 120, 200, 60));
    p.fillRect(image.rect(), g);
    return TBigBitmap::fromImage(image, 24);
}

void BM_PrepareSheetPalm8Photos600dpi(benchmark::State& state)
{
    QTemporaryDir base;
    TMainState st;
    TForm2 doc(st, base.path());
    doc.currentPage = 3;
    st.editSide = 2;
    doc.setQorType();
    for (int k = 0; k < 8; ++k) {
        TItemStatus it;
        it.kind = kKindImage;
        it.poolIndex = k;
        it.centerX = 300 + (k % 2) * 600;
        it.centerY = -525 + (k / 2) * 350;
        it.width = 560;
        it.height = 320;
        it.angle = k == 3 ? 15 : 0;
        it.selected = false;
        doc.items.append(it);
    }
    PageRenderer r(doc, st);
    r.withoutEditor();
    r.loadPoolPhoto = poolPhoto;
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    PrinterMetrics m;
    m.physical = m.page = {3496, 3496}; // 148 mm at 600 dpi
    m.paper = {1480, 1480};
    for (auto _ : state) {
        QImage page = renderPrinterPage(r, m.scaleX(), m.scaleY(), m.physical);
        QImage turned = quarterTurn(page, false, [](int) {});
        page = QImage();
        QImage sheet = cutToPrintableArea(turned, m);
        turned = QImage();
        sheet.convertTo(QImage::Format_BGR888);
        if (state.range(0) == 1) {
            const QByteArray pdf = sheetPdf(sheet, {419.53, 419.53}, sheetPictureRectPt(sheet.size(), {}, 600));
            sheet = QImage();
            state.counters["pdf_MB"] = pdf.size() / double(1 << 20);
            benchmark::DoNotOptimize(pdf);
        }
        benchmark::DoNotOptimize(sheet);
    }
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    state.counters["start_MB"] = before.ru_maxrss / 1024.0;
    state.counters["peak_MB"] = u.ru_maxrss / 1024.0;
    state.counters["page_bitmap_MB"] = 3496.0 * 3496 * 4 / (1 << 20);
}

} // namespace

BENCHMARK(BM_QuarterTurnRawRows)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_QImageTransformed90)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_PrepareSheetPalm8Photos600dpi)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(5);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

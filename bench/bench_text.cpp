// Repainting the text of a full page: 20 text items of 3 lines each at zoom 8, drawn into
// the editor's back buffer by the item walk (layout, box fitting and glyph drawing).
//
//   bench_text        horizontal, vertical and mixed pages, with the shaped lines kept
//                     from the last paint (a repaint) and made afresh (a first paint)
#include "FontSetup.h"
#include "PageRenderer.h"
#include "TextShaping.h"
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace qv;

namespace {

constexpr int kItems = 20;

const char16_t* const kLines[] = {
    u"夏休みの思い出", u"海辺で見つけた貝殻", u"2024年8月の家族旅行", u"おじいちゃんの畑で",
    u"はじめての自転車", u"Happy Birthday!", u"山の上から見た景色", u"みんなで食べたスイカ",
    u"「また来ようね」", u"雨上がりの虹、きれいだった。", u"運動会 かけっこ一等賞", u"夕焼けと帰り道",
};

struct Page {
    QTemporaryDir dir;
    TMainState st;
    std::unique_ptr<TForm2> doc;
    std::unique_ptr<PageRenderer> r;

    // verticalEvery: every n-th item is written vertically (0: none, 1: all).
    explicit Page(int verticalEvery)
    {
        doc = std::make_unique<TForm2>(st, dir.path() + '/');
        doc->bookType = QStringLiteral("Palm");
        doc->currentPage = 5;
        doc->setQorType();
        doc->zoomLevel = 8;
        r = std::make_unique<PageRenderer>(*doc, st);
        r->withoutEditor();
        r->paintBox = {1400, 1000};
        for (int i = 0; i < kItems; ++i) {
            TItemStatus it;
            it.kind = kKindText;
            const bool vertical = verticalEvery > 0 && i % verticalEvery == 0;
            it.fontName = (vertical ? QStringLiteral("@") : QString()) + QStringLiteral("ＭＳ Ｐゴシック");
            it.text = QString::fromUtf16(kLines[i % 12]) + QStringLiteral("\r\n") + QString::fromUtf16(kLines[(i + 4) % 12]) +
                      QStringLiteral("\r\n") + QString::fromUtf16(kLines[(i + 8) % 12]);
            it.fontSize = 35 + 10 * (i % 3);
            it.lineSpacing = it.fontSize * 3 / 2;
            it.lineCount = 3;
            it.centerX = -1100 + (i % 5) * 550;
            it.centerY = -450 + (i / 5) * 300;
            it.angle = i % 7 == 3 ? 30 : 0;
            it.selected = false;
            doc->items.append(it);
        }
        r->fitBackBuffer();
        st.originX = r->cPosX();
        st.originY = r->cPosY();
    }

    // Only the item drawing is timed: clearing the 1400 x 1000 buffer is the page base's work.
    void paint(benchmark::State& state, bool freshShapes)
    {
        state.PauseTiming();
        r->backBuffer.fill(Qt::white);
        if (freshShapes)
            r->textShapes = std::make_shared<TextShapeCache>();
        state.ResumeTiming();
        r->drawItems(kTargetEditor);
        benchmark::DoNotOptimize(r->backBuffer.constBits());
    }
};

void runRepaint(benchmark::State& state, int verticalEvery)
{
    Page page(verticalEvery);
    page.r->drawItems(kTargetEditor); // the first paint shapes every line and fits the boxes
    for (auto _ : state)
        page.paint(state, false);
}

void runFirstPaint(benchmark::State& state, int verticalEvery)
{
    Page page(verticalEvery);
    page.r->drawItems(kTargetEditor); // fonts opened once, as in a running program
    for (auto _ : state)
        page.paint(state, true);
}

void BM_TextRepaintHorizontal(benchmark::State& s) { runRepaint(s, 0); }
void BM_TextRepaintVertical(benchmark::State& s) { runRepaint(s, 1); }
void BM_TextRepaintMixed(benchmark::State& s) { runRepaint(s, 2); }
void BM_TextFirstPaintHorizontal(benchmark::State& s) { runFirstPaint(s, 0); }
void BM_TextFirstPaintVertical(benchmark::State& s) { runFirstPaint(s, 1); }

} // namespace

BENCHMARK(BM_TextRepaintHorizontal)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TextRepaintVertical)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TextRepaintMixed)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TextFirstPaintHorizontal)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TextFirstPaintVertical)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    installFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

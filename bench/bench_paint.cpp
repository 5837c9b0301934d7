// Painting the editor canvas: MPaint(0) of a Cedar spread at zoom 8 (the page area fills most
// of a 1920 x 1080 back buffer) with 8 photos (2 turned), 6 shapes, the guides and the
// template, against a bare QPainter loop that makes the same drawImage calls with the same
// render hints into a buffer of the same size, with and without clearing the buffer first.
#include "ItemBox.h"
#include "PageRenderer.h"
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <memory>
#include <vector>

using namespace qv;

namespace {

constexpr int kPhotos = 8;
constexpr int kThumbW = 296, kThumbH = 222; // the slot thumbnails of a pooled photo

/// Photo-like content: gradients, a bright spot and noise, 24 bits.
TBigBitmap photo(int w, int h, uint32_t seed)
{
    TBigBitmap b(w, h, 24);
    uint32_t noise = seed * 2654435761u + 1;
    for (int y = 0; y < h; ++y) {
        uchar* row = b.scanLine(y);
        for (int x = 0; x < w; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int n = int(noise >> 28) - 8;
            const int spot = (x - w / 3) * (x - w / 3) + (y - h / 2) * (y - h / 2) < h * h / 9 ? 40 : 0;
            row[3 * x + 0] = uchar(std::clamp(x * 200 / w + 30 + n, 0, 255));
            row[3 * x + 1] = uchar(std::clamp(y * 180 / h + 40 + spot + n, 0, 255));
            row[3 * x + 2] = uchar(std::clamp(int(seed * 37 % 90) + 90 - spot + n, 0, 255));
        }
    }
    return b;
}

TItemStatus item(int kind, int x, int y, int w, int h, int angle, uint32_t color, int slot = 0)
{
    TItemStatus it;
    it.kind = kind;
    it.centerX = x;
    it.centerY = y;
    it.width = w;
    it.height = h;
    it.angle = angle;
    it.color = color;
    it.keyColor = kImageKeyColor;
    it.imageSlot = slot;
    it.selected = false;
    return it;
}

struct PaintFixture {
    QTemporaryDir dir;
    TMainState st;
    std::unique_ptr<TForm2> doc;
    std::unique_ptr<PageRenderer> r;

    PaintFixture()
    {
        doc = std::make_unique<TForm2>(st, dir.path());
        doc->bookType = QStringLiteral("Cedar");
        doc->currentPage = 5;
        doc->setQorType();
        doc->zoomLevel = 8;
        for (int k = 1; k <= kPhotos; ++k) {
            st.cache.setThumb(k, photo(kThumbW, kThumbH, uint32_t(k)));
            st.cache.setImage(k, photo(kThumbW, kThumbH, uint32_t(k)));
        }
        // Two by two photos of 85 x 64 mm on each 200 mm page, two of them turned; shapes
        // between them and across the spine.
        const int xs[4] = {-1410, -480, 480, 1410};
        for (int k = 0; k < kPhotos; ++k) {
            const int angle = k == 2 ? 15 : k == 5 ? -30 : 0;
            doc->items.append(item(kKindImage, xs[k % 4], k < 4 ? -450 : 450, 850, 640, angle, 0xFFFFFF, k + 1));
        }
        for (int k = 0; k < 6; ++k) {
            const int kind = k % 2 ? kKindEllipse : kKindRect;
            doc->items.append(item(kind, -1500 + 600 * k, 0, 360, 240, k == 1 ? 20 : 0, rgbColor(40 * k, 90, 200)));
        }
        r = std::make_unique<PageRenderer>(*doc, st);
        r->withoutEditor();
        r->paintBox = QSize(1920, 1080);
        r->MPaint(kTargetEditor); // fills the screen-ready image copies, as the first paint does
    }
};

void BM_MPaint(benchmark::State& state)
{
    PaintFixture f;
    for (auto _ : state) {
        f.r->MPaint(kTargetEditor);
        benchmark::DoNotOptimize(f.r->backBuffer.constBits());
    }
}

// The photos' drawImage calls alone: same images (32 bits), boxes, turns and hints. With
// `clear` set, each round first fills the whole buffer once, as any full repaint must.
void bareDrawImage(benchmark::State& state, bool clear)
{
    PaintFixture f;
    struct Call {
        QImage image;
        QRect box;
        int angle;
    };
    std::vector<Call> calls;
    for (int i = 1; i < f.doc->items.size(); ++i) {
        const TItemStatus& it = f.doc->items[i];
        if (it.kind != kKindImage)
            continue;
        const ItemBox b = itemPixelBox(*f.r, kTargetEditor, it);
        calls.push_back({f.st.cache.imageDrawing(it.imageSlot, true).image().convertToFormat(QImage::Format_RGB32),
                         QRect(b.left, b.top, b.right - b.left, b.bottom - b.top), it.angle});
    }
    QImage buffer(1920, 1080, QImage::Format_RGB32);
    buffer.fill(Qt::white);
    for (auto _ : state) {
        if (clear) {
            QPainter p(&buffer);
            p.fillRect(buffer.rect(), Qt::white);
        }
        for (const Call& c : calls) {
            QPainter p(&buffer);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            if (c.angle == 0) {
                p.drawImage(c.box, c.image);
                continue;
            }
            const QSizeF size(c.box.size());
            p.translate(QRectF(c.box).center());
            p.rotate(-c.angle);
            p.drawImage(QRectF(QPointF(-size.width() / 2, -size.height() / 2), size), c.image);
        }
        benchmark::DoNotOptimize(buffer.constBits());
    }
}

BENCHMARK(BM_MPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(5)->ReportAggregatesOnly(true)->MeasureProcessCPUTime()->UseRealTime();
void BM_BareDrawImage(benchmark::State& state) { bareDrawImage(state, false); }
void BM_BareClearAndDrawImage(benchmark::State& state) { bareDrawImage(state, true); }

BENCHMARK(BM_BareDrawImage)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(5)->ReportAggregatesOnly(true)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_BareClearAndDrawImage)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(5)->ReportAggregatesOnly(true)->MeasureProcessCPUTime()->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// A mouse move during a move, scale or rotate drag of all 20 items of a page (8 photos, two of
// them turned, 8 shapes and 4 texts), through the window's real handlers: each move repaints
// the 1920 x 1080 canvas with the drag preview.
#include "EditorCore.h"
#include "PaintBox.h"
#include "TestItems.h"
#include "Unit1.h"
#include "Unit2.h"
#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace qv;

namespace {

TBigBitmap photo(int w, int h, int seed)
{
    TBigBitmap b(w, h, 24);
    for (int y = 0; y < h; ++y) {
        uchar* row = b.scanLine(y);
        for (int x = 0; x < w; ++x) {
            row[3 * x] = uchar(x * 200 / w + seed * 7);
            row[3 * x + 1] = uchar(y * 180 / h + 30);
            row[3 * x + 2] = uchar((x + y + seed * 31) & 0xFF);
        }
    }
    return b;
}

TItemStatus item(int kind, int x, int y, int w, int h, int angle, int slot = 0)
{
    TItemStatus it = test::makeItem(kind, x, y, w, h, kind == kKindImage ? kColorWhite : rgbColor(30 * slot, 120, 200),
                                    angle);
    it.keyColor = kImageKeyColor;
    it.imageSlot = slot;
    it.selected = true;
    return it;
}

struct Window {
    QTemporaryDir dir;
    std::unique_ptr<TForm1> form;

    Window()
    {
        form = std::make_unique<TForm1>(dir.path() + QLatin1Char('/'));
        form->createDocument();
        form->setWorkingBorder(true);
        form->show();
        form->chooseBookType(QStringLiteral("Cedar"));
        form->LabelH3Click();
        for (int k = 0; k < 3; ++k) {   // the layout settles after a resize
            form->resize(form->size() + QSize(1920, 1080) - form->PBMain->size());
            QCoreApplication::processEvents();
        }
        TForm2& d = *form->Form2;
        d.switchPage(5);
        d.zoomLevel = 8;
        for (int k = 1; k <= 8; ++k) {
            form->state.cache.setThumb(k, photo(296, 222, k));
            form->state.cache.setImage(k, photo(296, 222, k));
            d.items.append(item(kKindImage, -1400 + 400 * (k - 1), k % 2 ? -450 : 450, 700, 520,
                                k == 3 ? 15 : k == 6 ? 330 : 0, k));
        }
        for (int k = 0; k < 8; ++k)
            d.items.append(item(k % 2 ? kKindEllipse : kKindRect, -1500 + 420 * k, 0, 300, 200, 0, k));
        for (int k = 0; k < 4; ++k)
            d.items.append(item(kKindText, -900 + 600 * k, 800, 400, 60, 0, k));
        d.anySelected = true;
        form->PBMain->repaint();
    }

    void send(QEvent::Type type, QPoint p, Qt::MouseButtons held)
    {
        QMouseEvent e(type, QPointF(p), form->PBMain->mapToGlobal(QPointF(p)), Qt::LeftButton, held, {});
        QCoreApplication::sendEvent(form->PBMain, &e);
    }
};

void drag(benchmark::State& state, int button, QPoint pressAt)
{
    Window w;
    const QPoint o = w.form->editor->origin();
    if (button >= 0)
        w.form->ToolButtonClick(button);
    w.send(QEvent::MouseButtonPress, o + pressAt, Qt::LeftButton);
    int k = 0;
    for (auto _ : state) {
        ++k;
        w.send(QEvent::MouseMove, o + pressAt + QPoint(5 + k % 40, 3 + k % 30), Qt::LeftButton);
    }
    w.send(QEvent::MouseButtonRelease, o + pressAt, Qt::NoButton);
    const QSize canvas = w.form->PBMain->size();
    state.SetLabel(QStringLiteral("canvas %1x%2").arg(canvas.width()).arg(canvas.height()).toStdString());
}

// Press on the first photo (the select tool moves them all), on the selection's bottom-right
// corner (scale) and beside the middle (rotate).
void BM_MoveDrag(benchmark::State& s) { drag(s, -1, QPoint(-538, -173)); }
void BM_ScaleDrag(benchmark::State& s) { drag(s, kBtnScale, QPoint(682, 354)); }
void BM_RotateDrag(benchmark::State& s) { drag(s, kBtnRotate, QPoint(300, 40)); }

BENCHMARK(BM_MoveDrag)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(3)->ReportAggregatesOnly(true)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_ScaleDrag)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(3)->ReportAggregatesOnly(true)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_RotateDrag)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(3)->ReportAggregatesOnly(true)->MeasureProcessCPUTime()->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QORVALE_HEADLESS_DIALOGS", "1");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

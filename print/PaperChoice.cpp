// Paper selection for a wanted sheet size.
#include "PaperChoice.h"
#include "NkPrinter.h"
#include <cstdlib>

namespace qv {

namespace {
constexpr int kExactTolerance = 2;  // 0.2 mm
constexpr int kShortTolerance = 11; // 1.1 mm
const QSize kStartBest(2100, 2970); // A4 upright
} // namespace

QSize wantedSheet(const QString& bookType, int pageWidth, int pageHeight)
{
    if (bookType == QLatin1String("Reed"))
        return {pageWidth, pageHeight};
    return {pageHeight, pageWidth};
}

PaperChoice chooseAutoPaper(TNkPrinter& printer, QSize wanted)
{
    if (!printer.CanSetPaperSize())
        return PaperChoice::NotSettable;
    const int W = wanted.width(), H = wanted.height();
    if (printer.UserPaperSupported()) {
        printer.SetpaperExtent(W, H);
        printer.ApplySettings();
        const auto got = printer.PaperSize();
        if (got && std::abs(got->width() - W) <= kExactTolerance && std::abs(got->height() - H) <= kExactTolerance)
            return PaperChoice::UserDefined;
    }
    QSize best = kStartBest;
    int bestIndex = 0;
    const int count = printer.GetNumPaperSizes();
    for (int i = 0; i < count; ++i) {
        printer.SetPaperSizeIndex(i);
        printer.ApplySettings();
        const auto got = printer.PaperSize();
        if (!got)
            continue;
        const int w = got->width(), h = got->height();
        if (std::abs(w - W) <= kExactTolerance)
            return PaperChoice::CloseWidth;
        if (w >= W - kShortTolerance && h >= H - kShortTolerance && w <= best.width() && h <= best.height()) {
            best = {w, h};
            bestIndex = i;
        }
    }
    printer.SetPaperSizeIndex(bestIndex);
    printer.ApplySettings();
    if (printer.CanSetScale()) {
        printer.SetScale(100);
        printer.ApplySettings();
    }
    return PaperChoice::Best;
}

} // namespace qv

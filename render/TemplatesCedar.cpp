// Cedar and Fern L: the 200 mm books with the 10 mm grid.
#include "Templates.h"

namespace qv {

namespace {

std::vector<CoverLabel> cedarLabels()
{
    std::vector<CoverLabel> labels{{QStringLiteral("裏"), 170, 930}};
    addColumn(labels, QStringLiteral("巻込み部分"), 2750, {790, 860, 930, 1000, 1070});
    labels.push_back({QStringLiteral("表紙"), 1500, 930});
    addColumn(labels, QStringLiteral("背表紙"), 430, {860, 930, 1000});
    return labels;
}

} // namespace

void TemplatePainter::drawTemplateCedar() { commonTemplate(&TemplatePainter::coverLinesCedar); }

void TemplatePainter::drawTemplateFernL() { commonTemplate(&TemplatePainter::coverLinesFernL); }

void TemplatePainter::coverLinesCedar()
{
    const QColor& c = tplColor::guideBlue;
    for (int x : {L + X(400), L + X(520), R - X(350)})
        line(x, T, x, B - 2, c);
    line(L + X(400), T, R - X(350), T, c);
    line(L + X(400), B - 2, R - X(350), B - 2, c);
}

void TemplatePainter::coverLinesFernL()
{
    for (int x : {L + X(720), L + X(880)})
        line(x, T, x, B - 1, tplColor::guideBlue);
}

void TemplatePainter::drawGuidesCedar()
{
    if (!onCover())
        return spreadGrid10mm();
    coverGrid10mm(10, L + Y(400), R - Y(350));
    coverLettering(cedarLabels());
}

void TemplatePainter::drawGuidesFernL()
{
    if (!onCover())
        return spreadGrid10mm();
    coverGrid10mm(20, L, R);
}

void TemplatePainter::coverGrid10mm(int last, int x1, int x2)
{
    // The left columns start one step right of the middle, so the grid reaches one step
    // further right than left.
    for (int i = 0; i <= last; ++i) {
        for (int x : {cx - 1 + X(100.0 * (i + 1)), cx - 1 - X(100.0 * i - 100)})
            line(x, T, x, B, tplColor::gridGrey);
        for (int y : {cy + Y(100.0 * i), cy - Y(100.0 * i)})
            line(x1, y, x2, y, tplColor::gridGrey);
    }
}

} // namespace qv

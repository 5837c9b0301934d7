// Maple and Fern S: the books with an 8 mm grid of 20 lines a side.
#include "Templates.h"

namespace qv {

namespace {

std::vector<CoverLabel> mapleLabels()
{
    std::vector<CoverLabel> labels{{QStringLiteral("裏"), 220, 930}};
    addColumn(labels, QStringLiteral("巻込み部分"), 2740, {790, 860, 930, 1000, 1070});
    labels.push_back({QStringLiteral("表紙"), 1570, 930});
    addColumn(labels, QStringLiteral("背表紙"), 560, {850, 930, 1010});
    labels.push_back({QStringLiteral("切り取り部分"), 1370, 50});
    labels.push_back({QStringLiteral("切り取り部分"), 1370, 2000});
    return labels;
}

} // namespace

void TemplatePainter::drawTemplateMaple() { commonTemplate(&TemplatePainter::coverLinesMaple); }

void TemplatePainter::drawTemplateFernS() { commonTemplate(&TemplatePainter::coverLinesFernS); }

void TemplatePainter::coverLinesMaple()
{
    const QColor& c = tplColor::guideBlue;
    const int top = T + Y(130), bottom = B - Y(130);
    outline(L + X(710), top, R - X(380) + 1, bottom + 1, c);
    outline(L + X(470), top, L + X(710) + 1, bottom + 1, c);
    line(L + 1, top, R - 1, top, c, true);
    line(L + 1, bottom, R - 1, bottom, c, true);
}

void TemplatePainter::coverLinesFernS()
{
    const QColor& c = tplColor::guideBlue;
    const int top = T + Y(285), bottom = B - Y(285);
    line(L + 1, top, R - 1, top, c);
    line(L + 1, bottom, R - 1, bottom, c);
    for (double u : {337.5, 1427.5, 1542.5, 2632.5})
        line(L + X(u), top, L + X(u), bottom, c, true);
}

void TemplatePainter::drawGuidesMaple()
{
    if (!onCover())
        return spreadGrid8mm(20);
    coverGridMaple();
    coverLettering(mapleLabels());
}

void TemplatePainter::drawGuidesFernS()
{
    if (!onCover())
        return spreadGrid8mm(20);
    coverGridFernS();
}

void TemplatePainter::coverGridMaple()
{
    for (int i = 0; i <= 13; ++i) {
        const double v = 80.0 * i;
        for (int x : {cx + X(47) + X(v), cx + X(47) - X(v)})
            line(x, T + X(130), x, B - X(130), tplColor::gridGrey);
        if (i > 11)
            continue;
        for (int y : {cy + Y(v), cy - Y(v)})
            line(L + X(470), y, R - X(380), y, tplColor::gridGrey);
    }
}

void TemplatePainter::coverGridFernS()
{
    for (int i = 0; i <= 14; ++i) {
        const double v = 80.0 * i;
        for (int x : {cx + X(v), cx - X(v)})
            line(x, T + X(285), x, B - X(285), tplColor::gridGrey);
        if (i > 9)
            continue;
        for (int y : {cy + Y(v), cy - Y(v)})
            line(L + X(337.5), y, R - X(337.5), y, tplColor::gridGrey);
    }
}

} // namespace qv

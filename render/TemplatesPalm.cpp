// Palm, Fern M and Reed: the 148 mm and 128 mm books with the 8 mm grid.
#include "Templates.h"
#include "Numbers.h"

namespace qv {

namespace {

std::vector<CoverLabel> palmLabels()
{
    std::vector<CoverLabel> labels{{QStringLiteral("裏"), 290, 850}};
    addColumn(labels, QStringLiteral("巻込み部分"), 2380, {710, 780, 850, 920, 990});
    labels.push_back({QStringLiteral("表紙"), 1420, 850});
    addColumn(labels, QStringLiteral("背表紙"), 640, {770, 850, 930});
    labels.push_back({QStringLiteral("切り取り部分"), 1220, 50});
    labels.push_back({QStringLiteral("切り取り部分"), 1220, 1710});
    return labels;
}

} // namespace

void TemplatePainter::drawTemplatePalm() { commonTemplate(&TemplatePainter::coverLinesPalm); }

void TemplatePainter::drawTemplateFernM() { commonTemplate(&TemplatePainter::coverLinesFernM); }

void TemplatePainter::drawTemplateReed()
{
    // A wire-bound book: no frame and no edge shading, the binding shows its holes and loops.
    // The empty half keeps the colour around the page rather than cream.
    if (onScreen()) {
        const QColor around = target == kTargetEditor ? tplColor::fromBgr(doc.canvasColor) : tplColor::cream;
        paintSurroundings(around);
        fill(cx - X(M), T, cx + X(M) + 1, B + 1, tplColor::white);
        drawReedHoles();
        drawReedWires();
        paintEmptyHalves(around, R + 2);
    }
    spineAndCoverLines(&TemplatePainter::coverLinesReed);
}

void TemplatePainter::drawReedHoles()
{
    // Holes 4 mm across, 2.3 mm to 6.3 mm either side of the spine, one every 6 mm upwards
    // from 2 mm above the bottom edge.
    const int base = cx + hw;
    const int leftX1 = base - X(W + 63), leftX2 = base - X(W + 23);
    const int rightX1 = base - X(W - 23), rightX2 = base - X(W - 63);
    for (int i = 1; i <= 22; ++i) {
        const int y1 = cy + hh - Y(60 * i), y2 = cy + hh - Y(60 * i - 40);
        ellipse(leftX1, y1, leftX2, y2, tplColor::holeGrey, QColor());
        ellipse(rightX1, y1, rightX2, y2, tplColor::holeGrey, QColor());
        ellipse(leftX1, y1, leftX2, y2, QColor(), tplColor::frame);
        ellipse(rightX1, y1, rightX2, y2, QColor(), tplColor::frame);
    }
}

void TemplatePainter::drawReedWires()
{
    // Each loop is a 4-pixel bar from the centre of the left hole to the centre of the right.
    const int base = cx + hw;
    const int x1 = nearest(((base - X(W + 25)) + (base - X(W + 61))) / 2.0);
    const int x2 = nearest(((base - X(W - 61)) + (base - X(W - 25))) / 2.0);
    for (int i = 1; i <= 22; ++i) {
        const double ym = ((cy + hh - Y(60 * i - 38)) + (cy + hh - Y(60 * i - 2))) / 2.0;
        fill(x1, nearest(ym - 2), x2, nearest(ym + 2), tplColor::frame);
    }
}

void TemplatePainter::coverLinesPalm()
{
    const QColor& c = tplColor::guideBlue;
    outline(L + X(720), T + Y(150), R - X(300) + 1, B - Y(150) + 1, c);
    outline(L + X(620), T + Y(150), L + X(720) + 1, B - Y(150) + 1, c);
    line(L + 1, T + Y(150), R - 1, T + Y(150), c, true);
    line(L + 1, B - Y(150), R - 1, B - Y(150), c, true);
}

void TemplatePainter::coverLinesReed()
{
    line(L + X(320) + 1, T, L + X(320) + 1, B - 1, tplColor::guideBlue, true);
    coverLinesPalm();
}

void TemplatePainter::coverLinesFernM()
{
    const QColor& c = tplColor::guideBlue;
    const int top = T + Y(145), bottom = B - Y(145);
    line(L, top, R, top, c);
    line(L, bottom, R, bottom, c);
    for (int x : {L + X(610), L + X(730), R - X(300)})
        line(x, top, x, bottom, c, true);
}

void TemplatePainter::drawGuidesPalm()
{
    if (!onCover())
        return spreadGrid8mm(16);
    coverGridPalm();
    coverLettering(palmLabels());
}

void TemplatePainter::drawGuidesReed()
{
    if (!onCover())
        return spreadGrid8mm(16);
    coverGridPalm();
}

void TemplatePainter::drawGuidesFernM()
{
    if (!onCover())
        return spreadGrid8mm(16);
    coverGridFernM();
}

void TemplatePainter::coverGridPalm()
{
    for (int i = 0; i <= 9; ++i) {
        const double v = 80.0 * i;
        for (int x : {cx + X(180) + X(v), cx + X(180) - X(v)})
            line(x, T + X(150), x, B - X(150), tplColor::gridGrey);
        for (int y : {cy + Y(v), cy - Y(v)})
            line(L + X(620), y, R - X(300), y, tplColor::gridGrey);
    }
}

void TemplatePainter::coverGridFernM()
{
    // The columns reach further left, over the back cover, than right.
    for (int i = 0; i <= 19; ++i) {
        const double v = 80.0 * i;
        const int x = cx + X(180) - X(v);
        line(x, T + Y(150), x, B - Y(150), tplColor::gridGrey);
        if (i > 9)
            continue;
        const int xr = cx + X(180) + X(v);
        line(xr, T + Y(150), xr, B - Y(150), tplColor::gridGrey);
        for (int y : {cy + Y(v), cy - Y(v)})
            line(L, y, R - X(300), y, tplColor::gridGrey);
    }
}

} // namespace qv

// The template and guide dispatch, the drawing primitives and the steps that most book types
// share: surroundings, empty halves, frame, book-edge shading, spine, grids and lettering.
#include "Templates.h"
#include "BookTypes.h"
#include "Numbers.h"
#include "SolidFill.h"
#include <QFontMetrics>
#include <QRawFont>
#include <algorithm>

namespace qv {

namespace {

struct Family {
    const char* routine; // the template routine named in the book-type table
    void (TemplatePainter::*drawTemplate)();
    void (TemplatePainter::*drawGuides)();
};

const Family kFamilies[] = {
    {"Palm", &TemplatePainter::drawTemplatePalm, &TemplatePainter::drawGuidesPalm},
    {"Cedar", &TemplatePainter::drawTemplateCedar, &TemplatePainter::drawGuidesCedar},
    {"Maple", &TemplatePainter::drawTemplateMaple, &TemplatePainter::drawGuidesMaple},
    {"Reed", &TemplatePainter::drawTemplateReed, &TemplatePainter::drawGuidesReed},
    {"Fern S", &TemplatePainter::drawTemplateFernS, &TemplatePainter::drawGuidesFernS},
    {"Fern M", &TemplatePainter::drawTemplateFernM, &TemplatePainter::drawGuidesFernM},
    {"Fern L", &TemplatePainter::drawTemplateFernL, &TemplatePainter::drawGuidesFernL},
};

const Family* familyOf(const QString& bookType)
{
    const BookType* type = findBookType(bookType);
    if (!type)
        return nullptr;
    for (const Family& f : kFamilies)
        if (type->templateRoutine == QLatin1String(f.routine))
            return &f;
    return nullptr;
}

bool hasJapaneseGlyphs(const QFont& font)
{
    const QRawFont raw = QRawFont::fromFont(font);
    return raw.isValid() && raw.supportsCharacter(QChar(0x88CF)) && raw.supportsCharacter(QChar(0x307F));
}

} // namespace

QFont coverLabelFont(int pixelSize)
{
    // Whether the face has Japanese glyphs does not change while the program runs: ask once,
    // not on every paint of a cover.
    static const bool faceHasJapanese = hasJapaneseGlyphs(QFont(QStringLiteral("ＭＳ ゴシック")));
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPixelSize(std::max(1, pixelSize));
    font.setWeight(QFont::Normal);
    if (!faceHasJapanese)
        font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"),
                          QStringLiteral("Noto Sans CJK JP")});
    return font;
}

namespace {
// Runs one of the book type's routines on the target's canvas.
void runFamilyRoutine(PageRenderer& r, int target, void (TemplatePainter::*Family::*routine)())
{
    const Family* family = familyOf(r.doc.bookType);
    QImage* canvas = r.targetCanvas(target);
    if (!family || !canvas || canvas->isNull())
        return;
    TemplatePainter painter(r, target, *canvas);
    (painter.*(family->*routine))();
}
} // namespace

void PageRenderer::drawTemplate(int target)
{
    if (target == kTargetEditor || target == kTargetThumbnail || target == kTargetPreview)
        runFamilyRoutine(*this, target, &Family::drawTemplate);
}

void PageRenderer::drawGuides(int target)
{
    if (target == kTargetEditor)
        runFamilyRoutine(*this, target, &Family::drawGuides);
}

TemplatePainter::TemplatePainter(PageRenderer& renderer, int drawTarget, QImage& image)
    : r(renderer), doc(renderer.doc), target(drawTarget), canvas(image), p(&image)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    cx = r.st.originX;
    cy = r.st.originY;
    hw = r.halfSpanX(target);
    hh = r.halfSpanY(target);
    L = cx - hw;
    R = cx + hw;
    T = cy - hh;
    B = cy + hh;
    // The surroundings reach to the paint box's edges; a thumbnail larger than the paint box
    // (a collapsed window) is still covered whole.
    W0 = std::max(r.paintBox.width(), image.width());
    H0 = std::max(r.paintBox.height(), image.height());
    W = doc.pageWidth;
    M = bindingMargin(doc.bookType).value_or(0);
}

bool TemplatePainter::isLastSpread() const
{
    return doc.currentPage >= 1 && doc.currentPage == r.st.navEntryCount - 1;
}

// --- primitives ---

void TemplatePainter::fill(int x1, int y1, int x2, int y2, const QColor& c)
{
    if (x2 > x1 && y2 > y1)
        fillRectFast(canvas, p, QRect(x1, y1, x2 - x1, y2 - y1), c);
}

void TemplatePainter::outline(int x1, int y1, int x2, int y2, const QColor& c)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    fill(x1, y1, x2, y1 + 1, c);
    fill(x1, y2 - 1, x2, y2, c);
    fill(x1, y1, x1 + 1, y2, c);
    fill(x2 - 1, y1, x2, y2, c);
}

void TemplatePainter::line(int x1, int y1, int x2, int y2, const QColor& c, bool dotted)
{
    if (x1 != x2 && y1 != y2) {
        // Not used by any template; kept correct all the same.
        p.setPen(QPen(c, 0));
        p.drawLine(x1, y1, x2, y2);
        return;
    }
    const bool across = y1 == y2;
    const int length = across ? std::abs(x2 - x1) : std::abs(y2 - y1);
    const int step = (across ? x2 - x1 : y2 - y1) < 0 ? -1 : 1;
    // Dots of 2 pixels with gaps of 2, counted from the first point.
    const int run = dotted ? 2 : length;
    const int period = dotted ? 4 : length;
    for (int k = 0; k < length; k += period) {
        const int n = std::min(run, length - k);
        const int a = (across ? x1 : y1) + step * k;
        const int b = a + step * (n - 1);
        const int lo = std::min(a, b), hi = std::max(a, b) + 1;
        if (across)
            fill(lo, y1, hi, y1 + 1, c);
        else
            fill(x1, lo, x1 + 1, hi, c);
    }
}

void TemplatePainter::ellipse(int x1, int y1, int x2, int y2, const QColor& fillColor, const QColor& lineColor)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    // The outline runs through the centres of its pixels; the fill takes the same ellipse, so
    // that no fill shows outside the outline.
    if (fillColor.isValid()) {
        p.setPen(Qt::NoPen);
        p.setBrush(fillColor);
        p.drawEllipse(QRectF(x1 + 0.5, y1 + 0.5, x2 - x1 - 1, y2 - y1 - 1));
    }
    if (lineColor.isValid()) {
        p.setPen(QPen(lineColor, 0));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
    }
}

// --- the common scheme ---

void TemplatePainter::commonTemplate(Step coverLines)
{
    if (onScreen()) {
        paintSurroundings(target == kTargetEditor ? tplColor::fromBgr(doc.canvasColor) : tplColor::cream);
        paintEmptyHalves(tplColor::cream, R + 1);
    }
    if (target == kTargetEditor) {
        drawFrame();
        if (!onCover())
            drawEdgeShading();
    }
    spineAndCoverLines(coverLines);
}

void TemplatePainter::paintSurroundings(const QColor& c)
{
    fill(0, 0, W0 + 1, T + 1, c);
    fill(0, B, W0 + 1, H0 + 1, c);
    fill(0, T, L + 1, H0 + 1, c);
    fill(R + 1, T, W0 + 1, H0 + 1, c);
}

void TemplatePainter::paintEmptyHalves(const QColor& c, int lastSpreadRightEnd)
{
    if (doc.currentPage == 1)
        fill(L, T, cx + 1, B + 1, c);
    if (isLastSpread())
        fill(cx, T, lastSpreadRightEnd, B + 1, c);
}

void TemplatePainter::drawFrame() { outline(L - 1, T - 1, R + 1, B, tplColor::frame); }

void TemplatePainter::drawEdgeShading()
{
    using tplColor::grey;
    const int edge = e();
    // The pages' edges under and beside the spread, then the fold at the spine; each later
    // rectangle covers the earlier ones.
    fill(L - edge, B, R + edge + 1, B + Y(20), grey(242));
    fill(L - X(20), T + 1, L, B + Y(20), grey(242));
    fill(R + 1, T + 1, R + X(20) + 1, B + Y(20), grey(242));
    fill(L - X(20), B + Y(20) - 1, R + X(20) + 1, B + Y(30), grey(204));
    fill(cx - X(50) + 1, B + Y(20), cx + X(50), B + Y(120) + 1, grey(204));
    fill(cx - X(40) + 1, B, cx + X(40), B + Y(110) + 1, grey(242));
    fill(cx - X(40) + 1, B, cx + X(40), B + Y(70) + 1, grey(219));
    fill(cx - X(40) + 1, B, cx + X(40), B + Y(60) + 1, grey(194));
    fill(cx - X(40) + 1, B, cx + X(40), B + Y(50) + 1, grey(169));
    fill(cx - X(40) + 1, B, cx + X(40), B + Y(40) + 1, grey(144));
    fill(cx, B - 1, cx + X(10) + 2, B + Y(90) + 2, grey(102));
    fill(cx - X(10), B - 1, cx + 1, B + Y(90) + 2, grey(102));
    fill(cx + 1, B - 1, cx + 1 + edge, B + Y(90) + 1, grey(242));
    fill(cx + 1 - edge, B - 1, cx + 1, B + Y(90) + 1, grey(242));
}

void TemplatePainter::spineAndCoverLines(Step coverLines)
{
    if (!onCover() && onScreen())
        line(cx, T, cx, target == kTargetEditor ? B - 1 : B, tplColor::guideBlue);
    if (onCover())
        (this->*coverLines)();
}

// --- guides ---

void TemplatePainter::spreadGrid8mm(int count)
{
    // No vertical line within 7 mm of the spine.
    for (int i = 0; i < count; ++i) {
        const double v = 80.0 * i;
        for (int x : {cx + X(v) + X(70) - 1, cx - X(v) - X(70)})
            line(x, T, x, B, tplColor::gridGrey);
        for (int y : {cy + Y(v) - 1, cy - Y(v) - 1})
            line(L - 1, y, R + 1, y, tplColor::gridGrey);
    }
}

void TemplatePainter::spreadGrid10mm()
{
    for (int i = 0; i <= 20; ++i) {
        const double v = 100.0 * i;
        for (int x : {cx - 1 + X(v), cx - 1 - X(v)})
            line(x, T, x, B - 1, tplColor::gridGrey);
        for (int y : {cy + Y(v), cy - Y(v)})
            line(L - 1, y, R - 1, y, tplColor::gridGrey);
    }
}

void TemplatePainter::coverLettering(const std::vector<CoverLabel>& labels)
{
    // Sized in points at the screen's 96 dots per inch, as the editor shows it.
    const QFont font = coverLabelFont(nearest(Y(50) * 96.0 / 72.0));
    p.setFont(font);
    p.setPen(tplColor::labelGrey);
    p.setBackgroundMode(Qt::TransparentMode);
    const int ascent = QFontMetrics(font, p.device()).ascent();
    for (const CoverLabel& label : labels)
        p.drawText(QPoint(L + X(label.x), T + Y(label.y) + ascent), label.text);
}

} // namespace qv

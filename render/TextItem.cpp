// Text items on every target. On the editor, thumbnails and preview the drawing is also the
// layout: it fits the item's box and lineCount to the text. The printer draws into the box
// as stored, so a sheet shows what the screen last showed.
#include "FontSetup.h"
#include "ItemBox.h"
#include "Numbers.h"
#include "TextLayout.h"
#include "TextShaping.h"
#include <QPainter>
#include <algorithm>
#include <limits>
#include <numbers>
#include <optional>

namespace qv {

namespace {

const QColor kBarGrey(128, 128, 128);
// Letters taller than this (pixels) are laid out but not drawn: no sheet shows one whole,
// and the rasteriser's coordinates end not far beyond.
constexpr int kMaxDrawnCell = 32768;

// Lengths beyond any sheet (10 km) are held there before they become pixels, so that no
// target's scale takes a pixel value past 32 bits.
constexpr double kFarUnits = 1e8;

// Page-unit results stay within the item record's 32 bits whatever the stored values.
int32_t clamp32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

struct TextJob {
    PageRenderer& r;
    int target;
    TItemStatus& item;
    QStringList lines;
    bool vertical;
    QString face;
    TextShapeCache& shapes;
    QImage& canvas;
};

// The item's box on the target in real pixels; `ref` is the edge the lines start from.
struct TextBox {
    double w, h, left, top, ref;
    QPointF centre; // the item's centre on the canvas
};

double pxX(const TextJob& job, double units)
{
    return job.r.toPxX(job.target, std::clamp(units, -kFarUnits, kFarUnits));
}

double pxY(const TextJob& job, double units)
{
    return job.r.toPxY(job.target, std::clamp(units, -kFarUnits, kFarUnits));
}

TextBox textBox(const TextJob& job)
{
    const PageRenderer& r = job.r;
    const TItemStatus& it = job.item;
    TextBox b;
    const double x = pxX(job, it.centerX), y = pxY(job, it.centerY);
    b.w = pxX(job, it.width);
    b.h = pxY(job, it.height);
    b.left = r.st.originX + x - b.w / 2;
    b.top = r.st.originY + y - b.h / 2;
    b.ref = job.vertical ? b.left + b.w : b.left;
    b.centre = {r.st.originX + x, r.st.originY + y};
    return b;
}

// Distance between line starts, in pixels across the lines, for line k.
double lineOffsetPx(const TextJob& job, int k)
{
    const double units = double(job.item.lineSpacing) * k;
    return job.vertical ? pxX(job, units) : pxY(job, units);
}

// Where line k starts before turning: a column from the right edge inward, a line downward.
QPointF lineStart(const TextJob& job, const TextBox& b, int k, double lengthPx)
{
    const int32_t align = job.item.textAlign;
    if (job.vertical)
        return {b.ref - lineOffsetPx(job, k), GetVerticalStart(align, lengthPx, b.top + b.h, b.top)};
    return {GetHorizonalStart(align, lengthPx, b.left + b.w, b.left), b.top + lineOffsetPx(job, k)};
}

void drawLine(QPainter& p, const SizedLine& line, QPoint start, int32_t angle)
{
    QTransform frame;
    frame.translate(start.x(), start.y());
    frame.rotate(-angle); // items turn counter-clockwise as seen
    frame.scale(line.scale, line.scale);
    for (const GlyphPiece& piece : line.shaped->pieces) {
        p.setTransform(piece.place * frame);
        p.drawGlyphRun(QPointF(0, 0), piece.run);
    }
}

// Draws every line with characters `cellPx` high inside box b, turned about the item's
// centre; `eachLine` runs after each line is placed.
template <typename EachLine>
void drawLines(TextJob& job, const TextBox& b, int cellPx, EachLine eachLine)
{
    QPainter p(&job.canvas);
    p.setPen(itemQColor(job.item.color)); // only the letters are painted
    const double angle = job.item.angle * std::numbers::pi / 180.0;
    for (int k = 0; k < job.lines.size(); ++k) {
        if (cellPx <= kMaxDrawnCell) {
            const SizedLine line = job.shapes.line(job.lines[k], job.face, cellPx, job.vertical);
            const QPointF s = lineStart(job, b, k, line.advance());
            drawLine(p, line, rotatePoint(1, angle, b.centre.y(), b.centre.x(), s.y(), s.x()), job.item.angle);
        }
        eachLine(k);
    }
}

// The longest line, in page units, measured with characters `fontSize` pixels high.
int32_t textLength(TextJob& job)
{
    const int32_t size = job.item.fontSize;
    if (size <= 0)
        return 0;
    double longest = 0;
    for (const QString& line : job.lines)
        longest = std::max(longest, job.shapes.line(line, job.face, size, job.vertical).advance());
    return clamp32(nearest(std::min(longest, 2e9)));
}

// Bar k of a text too small to read, by the writing angle (angle + q); none for other angles.
std::optional<QRect> barRect(int32_t writingAngle, int64_t k, int64_t left, int64_t top, int64_t w, int64_t h)
{
    int64_t x1, y1, x2, y2;
    switch (writingAngle) {
    case 0: x1 = left, y1 = top + k * h, x2 = left + w, y2 = top + (k + 1) * h; break;
    case 90: x1 = left + k * w, y1 = top - h, x2 = left + (k + 1) * w, y2 = top; break;
    case 180:
    case -180: x1 = left - w, y1 = top - k * h, x2 = left, y2 = top + h - k * h; break;
    case -90: x1 = left + w - k * w, y1 = top, x2 = left + 2 * w - k * w, y2 = top + h; break;
    default: return std::nullopt;
    }
    constexpr int64_t far = int64_t(1) << 30; // no canvas reaches there
    if (x2 <= x1 || y2 <= y1 || std::min(x1, y1) < -far || std::max(x2, y2) > far)
        return std::nullopt;
    return QRect(QPoint(int(x1), int(y1)), QPoint(int(x2 - 1), int(y2 - 1)));
}

void drawBars(TextJob& job, const TextBox& box)
{
    QPainter p(&job.canvas);
    const int32_t left = evenUp(box.ref), top = evenUp(box.top), w = evenUp(box.w), h = evenUp(box.h);
    const int32_t writingAngle = job.item.angle + (job.vertical ? -90 : 0);
    for (int k = 0; k < job.lines.size(); ++k) {
        if (const auto bar = barRect(writingAngle, k, left, top, w, h))
            p.fillRect(*bar, kBarGrey);
    }
}

struct SavedBox {
    int32_t centerX, centerY, width, height, lineSpacing, fontSize;
};

// Editor, thumbnail and preview: lay the text out from its first line's box, draw it and
// keep the fitted box.
void drawOnScreen(TextJob& job)
{
    TItemStatus& it = job.item;
    const SavedBox saved{it.centerX, it.centerY, it.width, it.height, it.lineSpacing, it.fontSize};
    // The first line's box: one line-step per earlier line away from the centre.
    const int64_t shift = (int64_t(it.lineCount) - 1) * (it.fontSize / 2 + (int64_t(it.lineSpacing) - it.fontSize) / 2);
    if (job.vertical) {
        it.centerX = clamp32(it.centerX + shift);
        it.width = it.fontSize;
        it.height = textLength(job);
    } else {
        it.centerY = clamp32(it.centerY - shift);
        it.height = it.fontSize;
        it.width = textLength(job);
    }
    TextBox box = textBox(job);
    // Lines turn about the item's own centre, not the first line's: the printer does the same.
    box.centre = {job.r.st.originX + pxX(job, saved.centerX), job.r.st.originY + pxY(job, saved.centerY)};
    const int cell = nearest(job.vertical ? box.w : box.h);
    if (cell > 1) {
        drawLines(job, box, cell, [&](int k) {
            const int32_t across = clamp32(int64_t(it.lineSpacing) * k + it.fontSize);
            (job.vertical ? it.width : it.height) = across;
        });
        it.lineCount = int32_t(job.lines.size());
        it.centerX = saved.centerX;
        it.centerY = saved.centerY;
        return;
    }
    // Too small to read: grey bars stand for the lines and the item stays as it was.
    drawBars(job, box);
    it.centerX = saved.centerX;
    it.centerY = saved.centerY;
    it.width = saved.width;
    it.height = saved.height;
    it.lineSpacing = saved.lineSpacing;
    it.fontSize = saved.fontSize;
}

// Printer bitmap: the stored box and lineCount of the last screen layout, the item unchanged.
void drawOnPrinter(TextJob& job)
{
    const TItemStatus& it = job.item;
    const int64_t extent = job.vertical ? it.width : it.height;
    const int64_t across = extent - int64_t(it.lineSpacing) * (int64_t(it.lineCount) - 1);
    const int cell = int(job.vertical ? pxX(job, double(across)) : pxY(job, double(across)));
    if (cell < 1)
        return; // nothing that could show on paper
    drawLines(job, textBox(job), cell, [](int) {});
}

} // namespace

void PageRenderer::drawTextItem(int target, int i)
{
    if (i < 1 || i >= doc.items.size())
        return;
    TItemStatus& item = doc.items[i];
    if (item.selected && freeScalingActive()) {
        // Free scaling would distort the letters: the text leaves the selection.
        item.selected = false;
        doc.setItemSelect();
        reanchorScale();
    }
    QImage* canvas = targetCanvas(target);
    if (!canvas || canvas->isNull())
        return;
    if (!textShapes)
        textShapes = std::make_shared<TextShapeCache>();
    const bool vertical = isVerticalFace(item.fontName);
    TextJob job{*this, target, item, textLines(item.text), vertical, faceOf(item.fontName), *textShapes, *canvas};
    if (vertical) {
        // Full-width letters and digits stand upright in the column.
        for (QString& line : job.lines)
            line = ENumToJNum(line);
    }
    if (target == kTargetPrinter)
        drawOnPrinter(job);
    else
        drawOnScreen(job);
}

} // namespace qv

#include "TextShaping.h"
#include "FontSetup.h"
#include "VerticalText.h"
#include <QFontMetricsF>
#include <QTextLayout>
#include <algorithm>

namespace qv {

namespace {
// A page shows at most 20 items; this holds several pages' lines at a few sizes each.
constexpr qsizetype kMaxCachedLines = 4096;
} // namespace

QString printableText(const QString& line)
{
    QString out;
    out.reserve(line.size());
    for (QChar ch : line) {
        const char16_t c = ch.unicode();
        // Line and paragraph separators would also end the line early in Qt's layout.
        if (c >= 0x20 && c != 0x7F && c != 0x2028 && c != 0x2029)
            out.append(ch);
    }
    return out;
}

ShapedLine shapeHorizontal(const QString& text, const QString& face, int emPx)
{
    ShapedLine line;
    if (text.isEmpty())
        return line;
    const QFont font = itemFont(face, emPx);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine l = layout.createLine();
    l.setPosition({0, 0});
    layout.endLayout();
    // Every run stands on the face's own baseline, one ascent below the cell's top, whatever
    // fallback face lent it glyphs.
    const double baseline = QFontMetricsF(font).ascent();
    const QTransform place = QTransform::fromTranslate(0, baseline - l.ascent());
    for (const QGlyphRun& run : layout.glyphRuns())
        line.pieces.append({run, place});
    line.advance = l.horizontalAdvance();
    return line;
}

TextShapeCache::TextShapeCache() : verticalShaper(std::make_unique<VerticalShaper>()) {}
TextShapeCache::~TextShapeCache() = default;

SizedLine TextShapeCache::line(const QString& text, const QString& face, int cellPx, bool vertical)
{
    const int cell = std::clamp(cellPx, 1, kMaxShapedCell);
    SizedLine sized;
    sized.scale = double(std::max(cellPx, 1)) / cell;
    const QString key = face + QChar(0x1F) + QString::number(cell) + (vertical ? u'V' : u'H') + text;
    const auto found = lines.constFind(key);
    if (found != lines.constEnd()) {
        sized.shaped = found.value();
        return sized;
    }
    if (lines.size() >= kMaxCachedLines)
        lines.clear();
    const QString shown = printableText(text);
    const int em = emPixelsForCell(face, cell);
    auto shaped = std::make_shared<ShapedLine>(vertical ? verticalShaper->shape(shown, face, em, cell)
                                                        : shapeHorizontal(shown, face, em));
    lines.insert(key, shaped);
    sized.shaped = std::move(shaped);
    return sized;
}

} // namespace qv

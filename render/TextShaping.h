#pragma once
// Lines of text shaped once per face and size and kept for the next paint.
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QString>
#include <QTransform>
#include <memory>

namespace qv {

class VerticalShaper;

/// Glyphs of one run and where they stand in the line's frame.
struct GlyphPiece {
    QGlyphRun run;
    QTransform place; // run coordinates to line frame
};

/// One line shaped at one size. The line frame has its origin at the line's reference point,
/// as the start points of the layout give it: the top-left corner of a horizontal line's
/// cell, the top-right corner of a vertical column; x to the right, y down, in pixels.
struct ShapedLine {
    QList<GlyphPiece> pieces;
    double advance = 0; // length along the line or column
};

/// A shaped line and the factor that brings it to the size asked for (1 up to the largest
/// size that is shaped directly; bigger text is shaped at that size and scaled).
struct SizedLine {
    std::shared_ptr<const ShapedLine> shaped;
    double scale = 1;
    double advance() const { return shaped->advance * scale; }
};

/// Biggest cell height, in pixels, that is shaped as it is.
constexpr int kMaxShapedCell = 2048;

class TextShapeCache {
public:
    TextShapeCache();
    ~TextShapeCache();
    TextShapeCache(const TextShapeCache&) = delete;
    TextShapeCache& operator=(const TextShapeCache&) = delete;

    /// @brief `text` in `face` with a cell height of `cellPx` pixels (at least 1), written
    /// horizontally or in a vertical column.
    SizedLine line(const QString& text, const QString& face, int cellPx, bool vertical);
    qsizetype size() const { return lines.size(); }
    VerticalShaper& vertical() { return *verticalShaper; }

private:
    QHash<QString, std::shared_ptr<const ShapedLine>> lines;
    std::unique_ptr<VerticalShaper> verticalShaper;
};

/// @brief `line` without control characters and line separators, which have no glyph to show.
QString printableText(const QString& line);

/// @brief Shapes a horizontal line with Qt's layout, which also picks fallback faces.
ShapedLine shapeHorizontal(const QString& text, const QString& face, int emPx);

} // namespace qv

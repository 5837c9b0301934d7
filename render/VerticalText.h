#pragma once
// Vertical writing: a line shaped as a column, top to bottom, with HarfBuzz. Japanese
// characters stand upright in their vertical forms; other characters lie on their side.
#include "TextShaping.h"
#include <QRawFont>
#include <map>
#include <memory>
#include <vector>

namespace qv {

/// How a character stands in a vertical column.
enum class ColumnOrientation {
    Upright,       // as it is, or in the vertical form the font gives it
    UprightIfForm, // upright in its vertical form when the font has one, else on its side
    Sideways,      // turned a quarter clockwise, like Latin text in a Japanese column
};

/// @brief How character `c` stands in a vertical column.
ColumnOrientation columnOrientation(char32_t c);

class VerticalShaper {
public:
    VerticalShaper();
    ~VerticalShaper();
    VerticalShaper(const VerticalShaper&) = delete;
    VerticalShaper& operator=(const VerticalShaper&) = delete;

    /// @brief `text` as a column in `face` with an em of `emPx` and a cell of `cellPx`
    /// pixels; the frame's origin is the column's top-right corner.
    ShapedLine shape(const QString& text, const QString& face, int emPx, int cellPx);

    /// @brief Glyph indexes of `text` shaped as one upright run in the face's Japanese font,
    /// with or without the vertical forms (for checks of the forms themselves).
    std::vector<quint32> uprightGlyphs(const QString& text, const QString& face, bool verticalForms);

private:
    struct HbFont;
    struct Run;
    /// The Japanese font of the face first, then the fallback faces, at `emPx`.
    const std::vector<QRawFont>& fontsFor(const QString& face, int emPx);
    HbFont& hbFont(const QRawFont& raw);
    bool hasVerticalForm(HbFont& font, char32_t c);
    std::vector<Run> splitRuns(const QString& text, const std::vector<QRawFont>& fonts);
    void placeRun(ShapedLine& line, const Run& run, const QString& text, double cellPx, double& penY);

    std::map<QString, std::vector<QRawFont>> fontSets;
    std::map<QString, std::unique_ptr<HbFont>> hbFonts;
};

} // namespace qv

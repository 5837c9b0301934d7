#pragma once
// Page templates (drawn over the items) and guides (drawn under them), one member per book
// type. A rectangle (x1, y1) -> (x2, y2) covers x1..x2-1 and y1..y2-1; a line from a point to
// another leaves out its last pixel. All lines here are horizontal or vertical, so they are
// filled spans: exact pixels, no antialiasing, no pen cap rules.
#include "PageRenderer.h"
#include <QColor>
#include <QFont>
#include <QPainter>
#include <algorithm>
#include <initializer_list>
#include <vector>

namespace qv {

namespace tplColor {
inline const QColor cream(255, 251, 240);
inline const QColor guideBlue(166, 202, 240);
inline const QColor gridGrey(237, 237, 237);
inline const QColor labelGrey(169, 169, 169);
inline const QColor frame(0, 0, 0);
inline const QColor holeGrey(128, 128, 128);
inline const QColor white(255, 255, 255);
inline QColor grey(int level) { return QColor(level, level, level); }
/// A stored 0x00BBGGRR colour.
inline QColor fromBgr(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
} // namespace tplColor

/// One word of the cover lettering at its top-left point, in page units from (L, T).
struct CoverLabel {
    QString text;
    double x;
    double y;
};

/// @brief Appends a word written downwards, one character at each of the given heights.
inline void addColumn(std::vector<CoverLabel>& labels, const QString& word, double x,
                      std::initializer_list<double> ys)
{
    int k = 0;
    for (double y : ys)
        labels.push_back({word.mid(k++, 1), x, y});
}

/// @brief The cover lettering's face: the program's gothic face when it has Japanese glyphs,
/// else an installed Japanese gothic face.
QFont coverLabelFont(int pixelSize);

class TemplatePainter {
public:
    TemplatePainter(PageRenderer& renderer, int target, QImage& canvas);

    void drawTemplatePalm();
    void drawTemplateCedar();
    void drawTemplateMaple();
    void drawTemplateReed();
    void drawTemplateFernS();
    void drawTemplateFernM();
    void drawTemplateFernL();

    void drawGuidesPalm();
    void drawGuidesCedar();
    void drawGuidesMaple();
    void drawGuidesReed();
    void drawGuidesFernS();
    void drawGuidesFernM();
    void drawGuidesFernL();

private:
    using Step = void (TemplatePainter::*)();

    PageRenderer& r;
    TForm2& doc;
    const int target;
    QImage& canvas;
    QPainter p;
    // Page area and its centre in pixels of the target, the paint box, and the page in units.
    int cx, cy, hw, hh, L, R, T, B, W0, H0;
    int32_t W, M;

    int X(double units) const { return r.toPxX(target, units); }
    int Y(double units) const { return r.toPxY(target, units); }
    int e() const { return std::max(X(10), 2); }
    bool onCover() const { return doc.currentPage == 0; }
    bool onScreen() const { return target == kTargetEditor || target == kTargetThumbnail; }
    bool isLastSpread() const;

    // Primitives (Templates.cpp).
    void fill(int x1, int y1, int x2, int y2, const QColor& c);
    void outline(int x1, int y1, int x2, int y2, const QColor& c);
    void line(int x1, int y1, int x2, int y2, const QColor& c, bool dotted = false);
    void ellipse(int x1, int y1, int x2, int y2, const QColor& fillColor, const QColor& lineColor);

    // The common scheme (Templates.cpp); coverLines draws step 6.
    void commonTemplate(Step coverLines);
    void paintSurroundings(const QColor& c);
    void paintEmptyHalves(const QColor& c, int lastSpreadRightEnd);
    void drawFrame();
    void drawEdgeShading();
    void spineAndCoverLines(Step coverLines);

    // Guides shared by several types (Templates.cpp).
    void spreadGrid8mm(int count);
    void spreadGrid10mm();
    void coverLettering(const std::vector<CoverLabel>& labels);

    // Reed (TemplatesPalm.cpp).
    void drawReedHoles();
    void drawReedWires();

    // Cover lines of step 6, one per type.
    void coverLinesPalm();
    void coverLinesReed();
    void coverLinesFernM();
    void coverLinesCedar();
    void coverLinesFernL();
    void coverLinesMaple();
    void coverLinesFernS();

    // Cover grids.
    void coverGridPalm();
    void coverGridFernM();
    void coverGrid10mm(int last, int x1, int x2);
    void coverGridMaple();
    void coverGridFernS();
};

} // namespace qv

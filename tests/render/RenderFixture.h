#pragma once
// A document and renderer on a fresh base folder, with the page area of the last paint.
#include "PageRenderer.h"
#include "TestEnv.h"
#include "TestItems.h"
#include <QColor>
#include <gtest/gtest.h>

namespace qv::test {

inline QRgb rgb(int r, int g, int b) { return qRgb(r, g, b); }
inline QRgb grey(int level) { return qRgb(level, level, level); }

inline const QRgb kWhite = rgb(255, 255, 255);
inline const QRgb kBlack = rgb(0, 0, 0);
inline const QRgb kBackground = rgb(102, 102, 102);
inline const QRgb kCream = rgb(255, 251, 240);
inline const QRgb kGuideBlue = rgb(166, 202, 240);
inline const QRgb kGridGrey = rgb(237, 237, 237);
inline const QRgb kHoleGrey = rgb(128, 128, 128);

class RenderFixture : public ::testing::Test {
public:
    TMainState st;
    TForm2 doc{st, baseDir()};
    PageRenderer r{doc, st};
    RenderFixture() { r.withoutEditor(); }
    // Page area of the last paint: centre and edges in pixels.
    int cx = 0, cy = 0, L = 0, R = 0, T = 0, B = 0;

    void open(const QString& type, int page, int zoom = 5, QSize box = {1400, 1000})
    {
        doc.bookType = type;
        doc.currentPage = page;
        doc.setQorType();
        doc.zoomLevel = zoom;
        r.paintBox = box;
    }

    /// @brief MPaint(0), then records the page area of the paint.
    void paint(int target = kTargetEditor)
    {
        r.MPaint(target);
        cx = st.originX;
        cy = st.originY;
        L = cx - r.halfSpanX(target);
        R = cx + r.halfSpanX(target);
        T = cy - r.halfSpanY(target);
        B = cy + r.halfSpanY(target);
    }

    int X(double units) const { return r.toPxX(kTargetEditor, units); }
    int Y(double units) const { return r.toPxY(kTargetEditor, units); }

    QRgb at(int x, int y) const { return r.backBuffer.pixel(x, y) | 0xFF000000u; }

    /// A filled rectangle item (kind 4) in spread coordinates; colour 0x00BBGGRR.
    void addRectItem(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t color)
    {
        doc.items.append(makeItem(kKindRect, x, y, w, h, color));
    }
};

inline std::string hex(QRgb c) { return QString::number(c & 0xFFFFFF, 16).rightJustified(6, '0').toStdString(); }

} // namespace qv::test

#define EXPECT_PIXEL(x, y, expected) \
    EXPECT_EQ(::qv::test::hex(at((x), (y))), ::qv::test::hex(expected)) << "at (" << (x) << ", " << (y) << ")"

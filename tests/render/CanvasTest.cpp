// The editor canvas: zoom, placement of the page on the targets, coordinate conversions,
// the back buffer and the order in which a page is painted.
#include "RenderFixture.h"
#include <QPainter>
#include <vector>

using namespace qv;
using namespace qv::test;

namespace {

class Canvas : public RenderFixture {};

TEST_F(Canvas, ZoomStepsScalesAndLimits)
{
    // Page units making 10 pixels, per zoom level.
    const int table[] = {0, 150, 100, 80, 60, 46, 35, 30, 26};
    for (int level = 1; level <= 8; ++level) {
        doc.zoomLevel = level;
        EXPECT_DOUBLE_EQ(r.scaleX(kTargetEditor), 10.0 / table[level]) << level;
        EXPECT_DOUBLE_EQ(r.scaleY(kTargetEditor), 10.0 / table[level]) << level;
    }
    open("Palm", 5, 5);
    EXPECT_EQ(r.toPxX(kTargetEditor, 1480), 322);
    EXPECT_EQ(r.pageWidthPx(kTargetEditor), 322);
    doc.zoomLevel = 2;
    EXPECT_EQ(r.toPxY(kTargetEditor, 1480), 148); // 1 pixel per mm

    doc.zoomLevel = 7;
    doc.ampL();
    EXPECT_EQ(doc.zoomLevel, 8);
    doc.ampL();
    EXPECT_EQ(doc.zoomLevel, 8);
    doc.zoomLevel = 2;
    doc.ampS();
    EXPECT_EQ(doc.zoomLevel, 1);
    doc.ampS();
    EXPECT_EQ(doc.zoomLevel, 1);
}

TEST_F(Canvas, OriginFollowsPaintBoxAndScroll)
{
    open("Palm", 5, 5, {632, 411});
    paint();
    EXPECT_EQ(st.originX, 316);
    EXPECT_EQ(st.originY, 205);

    // The scroll stays in page units, so zooming keeps the same page point in view, scaled.
    r.scrollX = 460;
    r.scrollY = -230;
    EXPECT_EQ(r.cPosX(), 316 + 100);
    EXPECT_EQ(r.cPosY(), 205 - 50);
    doc.ampS();
    doc.ampS();
    doc.ampS(); // level 2: 1 pixel per mm
    paint();
    EXPECT_EQ(st.originX, 316 + 46);
    EXPECT_EQ(st.originY, 205 - 23);
}

TEST_F(Canvas, PageAreaPerBookType)
{
    open("Palm", 5, 2);
    EXPECT_EQ(2 * r.halfSpanX(kTargetEditor), 270); // 2 x (148 - 13) mm
    EXPECT_EQ(2 * r.halfSpanY(kTargetEditor), 148);

    open("Reed", 5, 2);
    EXPECT_EQ(r.halfSpanX(kTargetEditor), r.pageWidthPx(kTargetEditor)); // two whole pages
    EXPECT_EQ(r.halfSpanX(kTargetEditor), 128);

    open("Palm", 0, 2); // cover 257 x 182 mm
    EXPECT_EQ(r.halfSpanX(kTargetEditor), 257 / 2);
    EXPECT_EQ(r.halfSpanY(kTargetEditor), 91);

    // The printer bitmap takes the physical sheet for its visibility test.
    r.sheetWidth = 1748;
    r.sheetHeight = 2480;
    EXPECT_EQ(r.halfSpanX(kTargetPrinter), 1748);
    EXPECT_EQ(r.halfSpanY(kTargetPrinter), 2480);
}

TEST_F(Canvas, PageRelativeCoordinates)
{
    open("Palm", 5);
    st.editSide = 2;
    EXPECT_EQ(r.CnvPointToPage(0, 0), QPoint(0, 740)); // the spine starts the right page
    st.editSide = 1;
    EXPECT_EQ(r.CnvPointToPage(0, 0), QPoint(1480 - 130, 740));
    st.editSide = 0;
    EXPECT_EQ(r.CnvPointToPage(-1350, -740), QPoint(0, 0));

    open("Reed", 5);
    st.editSide = 1;
    EXPECT_EQ(r.CnvPointToPage(0, 0), QPoint(1280, 670));
    st.editSide = 2;
    EXPECT_EQ(r.CnvPointToPage(0, 0), QPoint(0, 670));

    open("Palm", 0);
    EXPECT_EQ(r.CnvPointToPage(0, 0), QPoint(1285, 910));
    open("Maple", 0);
    EXPECT_EQ(r.CnvPointToPage(0, 0), QPoint(1485, 1050));

    // Page-relative and back is the identity on every kind of page and side.
    for (const char* type : {"Palm", "Maple", "Reed", "Fern S"}) {
        for (int page : {0, 1, 5, 16}) {
            for (int side : {0, 1, 2}) {
                open(type, page);
                st.editSide = side;
                for (QPoint q : {QPoint(0, 0), QPoint(-777, 123), QPoint(901, -455)}) {
                    const QPoint onPage = r.CnvPointToPage(q.x(), q.y());
                    EXPECT_EQ(r.CnvPointToOrg(onPage.x(), onPage.y()), q) << type << " " << page << " " << side;
                }
            }
        }
    }
}

TEST_F(Canvas, BackBufferFollowsPaintBox)
{
    open("Palm", 5, 5, {800, 600});
    r.fitBackBuffer();
    ASSERT_EQ(r.backBuffer.size(), QSize(800, 600));
    EXPECT_EQ(r.backBuffer.depth(), 32);
    const uchar* bits = r.backBuffer.constBits();
    paint();
    paint();
    EXPECT_EQ(r.backBuffer.constBits(), bits); // not reallocated while the size holds

    r.paintBox = {640, 480};
    paint();
    EXPECT_EQ(r.backBuffer.size(), QSize(640, 480));

    r.paintBox = {0, 0}; // a collapsed window paints nothing and does not crash
    paint();
    EXPECT_TRUE(r.backBuffer.isNull());
}

TEST_F(Canvas, PaintOrderHintsGuidesItemsTemplateOverlay)
{
    std::vector<int> strips;
    r.showHintStrip = [&](int strip) { strips.push_back(strip); };
    r.drawOverlay = [](QPainter& p) { p.fillRect(0, 0, 2, 2, Qt::red); };
    open("Palm", 0);
    paint();
    open("Palm", 5);
    paint();
    EXPECT_EQ(strips, (std::vector<int>{1, 2}));
    EXPECT_PIXEL(0, 0, rgb(255, 0, 0)); // the overlay comes after the template's surroundings

    // An item covers the grid under it; the template cuts it at the page area's left edge.
    const int32_t leftEdge = -(1480 - 130);
    addRectItem(leftEdge, 0, 400, 200, rgbColor(0, 0, 255));
    paint();
    const int gridX = cx - X(80 * 3) - X(70); // a grid column near the spine, free of the item
    EXPECT_PIXEL(gridX, cy + 5, kGridGrey);
    EXPECT_PIXEL(L + 5, cy + 5, rgb(0, 0, 255));
    EXPECT_PIXEL(L + X(150) - 2, cy + 5, rgb(0, 0, 255));
    EXPECT_PIXEL(L - X(10), cy + 5, grey(242)); // shading beside the page, not the item
    EXPECT_PIXEL(L - X(30), cy + 5, kBackground);

    doc.hideGuides = true;
    paint();
    EXPECT_PIXEL(gridX, cy + 5, kWhite);
    EXPECT_EQ(doc.currentPage, 5);
}

TEST_F(Canvas, ThumbnailTarget)
{
    open("Palm", 5);
    QImage thumb(80, 40, QImage::Format_RGB32);
    r.thumbnailImage = &thumb;
    r.thumbnailScale = 0.023;
    doc.pageWidth = doc.pageHeight = 0; // the thumbnail sets the page size itself
    st.originX = 316;                   // as the editor's last paint left it
    st.originY = 205;
    r.MPaint(kTargetThumbnail);
    EXPECT_EQ(doc.pageWidth, 1480);
    // The editing tools work from the editor's origin: a thumbnail leaves it alone.
    EXPECT_EQ(st.originX, 316);
    EXPECT_EQ(st.originY, 205);
    // 34 pixels a page, 3 of binding: the page area is 2 x 31 by 2 x 17 pixels.
    const int hw = r.halfSpanX(kTargetThumbnail), hh = r.halfSpanY(kTargetThumbnail);
    EXPECT_EQ(hw, 31);
    EXPECT_EQ(hh, 17);
    const auto px = [&](int x, int y) { return hex(thumb.pixel(x, y)); };
    EXPECT_EQ(px(0, 0), hex(kCream));
    EXPECT_EQ(px(79, 39), hex(kCream));
    EXPECT_EQ(px(40 - hw + 1, 20), hex(kWhite));
    EXPECT_EQ(px(40 + hw, 20), hex(kWhite)); // no frame on thumbnails
    EXPECT_EQ(px(40, 20 + hh - 1), hex(kGuideBlue)); // the spine reaches one row further than on screen
    EXPECT_EQ(px(40, 20 + hh), hex(kCream));
}

TEST_F(Canvas, PreviewScaleIsItsOwn)
{
    open("Palm", 5);
    QImage preview(296, 296, QImage::Format_RGB32);
    QImage thumb(80, 40, QImage::Format_RGB32);
    r.previewImage = &preview;
    r.thumbnailImage = &thumb;
    r.targetCanvas(kTargetPreview);
    EXPECT_DOUBLE_EQ(r.scaleX(kTargetPreview), 0.2);
    r.MPaint(kTargetThumbnail); // a thumbnail drawn in between leaves the preview's scale alone
    EXPECT_DOUBLE_EQ(r.scaleX(kTargetPreview), 0.2);
    EXPECT_DOUBLE_EQ(r.scaleY(kTargetPreview), 0.2);
}

} // namespace

// Pixel positions of the selection overlay on the editor canvas.
#include "EditorFixture.h"
#include "SelectionOverlay.h"
#include <QPainter>

namespace qv::test {
namespace {

class Overlay : public EditorFixture {
public:
    const QRgb blue = qRgb(0, 0, 255);

    void SetUp() override
    {
        EditorFixture::SetUp();
        view.drawOverlay = [this](QPainter& p) { drawSelection(p, doc, st, st.originX, st.originY); };
    }
    QImage paint()
    {
        view.MPaint(kTargetEditor);
        return view.backBuffer;
    }
    static bool isBlue(const QImage& im, int x, int y) { return (im.pixel(x, y) & 0xFFFFFF) == 0x0000FF; }
    /// Columns (or rows) along a line through the image that hold blue.
    static QVector<int> blueAlong(const QImage& im, int fixed, bool horizontal)
    {
        QVector<int> at;
        const int n = horizontal ? im.width() : im.height();
        for (int k = 0; k < n; ++k)
            if (isBlue(im, horizontal ? k : fixed, horizontal ? fixed : k))
                at << k;
        return at;
    }
};

TEST_F(Overlay, BoxAndOutlineOfA30By20MillimetreItemAtZoom2)
{
    // White item, 30 x 20 mm, centred 40 mm right of the spine: pixels 341..371 x 195..215.
    const int a = add(kKindRect, 400, 0, 300, 200);
    doc.items[a].color = kColorWhite;
    click(px(400, 0));
    const QImage im = paint();
    // Along the middle row the two vertical sides lie 30 pixels apart, as along the middle column
    // the two horizontal sides lie 20 apart.
    const QVector<int> across = blueAlong(im, 205, true), down = blueAlong(im, 356, false);
    ASSERT_FALSE(across.isEmpty());
    ASSERT_FALSE(down.isEmpty());
    EXPECT_EQ(across.last() - across.first(), 30 + 1) << "outline 2 pixels wide on each side";
    EXPECT_EQ(down.last() - down.first(), 20 + 1);
    EXPECT_GE(across.first(), 339);
    EXPECT_LE(across.last(), 373);
    EXPECT_FALSE(isBlue(im, 356, 205));   // inside stays the item's white
}

TEST_F(Overlay, ScaleHandleIs15PixelsSquareAtTheBottomRight)
{
    add(kKindRect, 400, 0, 300, 200);
    click(px(400, 0));
    ed.ToolButtonClick(kBtnScale);
    const QImage im = paint();
    // cx2, cy2 = the box's bottom-right corner (371, 215); the square runs 358..372 x 202..216.
    for (int d : {0, 7, 14}) {
        EXPECT_TRUE(isBlue(im, 358 + d, 202)) << d;
        EXPECT_TRUE(isBlue(im, 358, 202 + d)) << d;
    }
    EXPECT_FALSE(isBlue(im, 374, 210));
    EXPECT_FALSE(isBlue(im, 365, 218));
    // The anchor mark at the top-left corner (341, 195).
    EXPECT_TRUE(isBlue(im, 342, 196));
    // White arrow heads inside the square.
    EXPECT_EQ(im.pixel(367, 211) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(Overlay, RubberBandAndRectanglePreviewFollowThePointer)
{
    ed.MPLabelMouseDown(at(origin + QPoint(10, 10)));
    ed.MPLabelMouseMove(at(origin + QPoint(50, 40)), true);
    QImage im = paint();
    const QVector<int> left = blueAlong(im, 326, false), beyond = blueAlong(im, 380, false);
    EXPECT_GE(left.size(), 8);   // the dotted left side of the band, 215..246
    EXPECT_GE(left.first(), 215);
    EXPECT_LE(left.last(), 246);
    EXPECT_TRUE(beyond.isEmpty());
    ed.MPLabelMouseUp(at(origin + QPoint(50, 40)));

    ed.ToolButtonClick(kBtnRect);
    ed.MPLabelMouseDown(at(origin + QPoint(10, 10)));
    ed.MPLabelMouseMove(at(origin + QPoint(50, 40)), true);
    im = paint();
    for (int y : {220, 230, 240})
        EXPECT_TRUE(isBlue(im, 326, y) || isBlue(im, 325, y)) << y;   // solid 2-pixel side
}

} // namespace
} // namespace qv::test

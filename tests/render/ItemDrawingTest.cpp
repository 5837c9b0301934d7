// Drawing the items of a page: placement per target, the page-area test, shapes, and photos
// and pictures on screen and printer targets. Pixels are checked where the geometry puts them.
#include "ImageOps.h"
#include "ItemGeometry.h"
#include "JpegCodec.h"
#include "PageRenderer.h"
#include "RenderFixture.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include <QDir>
#include <gtest/gtest.h>
#include <cmath>

using namespace qv;

namespace {

constexpr QRgb kBackdrop = 0x0A141E; // a colour nothing draws, to see what was left alone
constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kBlue = 0x0000FF;
constexpr uint32_t kRedItem = rgbColor(255, 0, 0);

const QString kErr30 = QStringLiteral("message: 画像エラー(エラーコード：30)");
const QString kErr31 = QStringLiteral("message: 画像エラー(エラーコード：31)");
const QString kErr33 = QStringLiteral("message: 画像エラー(エラーコード：33)");
const QString kLimitMessage =
    QStringLiteral("message: 拡大の上限(幅または高さが200mm)を超えました。最大サイズに自動的に変更します。");

// A 24-bit bitmap whose left half is `left` and right half `right`.
TBigBitmap halves(int w, int h, QRgb left, QRgb right)
{
    TBigBitmap b(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, x < w / 2 ? left : right);
    return b;
}

// A 24-bit picture in four quadrants: top-left, top-right, bottom-left, bottom-right.
TBigBitmap quadrants(int side, QRgb tl, QRgb tr, QRgb bl, QRgb br)
{
    TBigBitmap b(side, side, 24);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            b.setPixel(x, y, y < side / 2 ? (x < side / 2 ? tl : tr) : (x < side / 2 ? bl : br));
    return b;
}

class ItemDrawing : public testing::Test {
protected:
    test::ScriptedDialogs dialogs;
    TMainState st;
    TForm2 doc{st, test::baseDir()};
    PageRenderer r{doc, st};
    QImage canvas;

    void SetUp() override { doc.items.resize(1); }

    // Target 1 at 1 pixel per mm on the Palm cover (257 x 182 pixels) around (150, 100).
    void useThumbnail()
    {
        doc.currentPage = 0;
        doc.setQorType();
        canvas = QImage(300, 200, QImage::Format_RGB32);
        canvas.fill(kBackdrop);
        r.thumbnailImage = &canvas;
        r.thumbnailScale = 0.1;
    }

    // Target 6: a printer bitmap of w x h at `scale` pixels per page unit.
    void usePrinter(int w, int h, double scale, int page, int side)
    {
        doc.currentPage = page;
        doc.setQorType();
        st.editSide = side;
        canvas = QImage(w, h, QImage::Format_RGB32);
        canvas.fill(kBackdrop);
        r.printerBitmap = &canvas;
        r.printerScaleX = r.printerScaleY = scale;
        r.sheetWidth = w;
        r.sheetHeight = h;
    }

    TItemStatus& add(int kind, int cx, int cy, int w, int h, int angle = 0)
    {
        TItemStatus it = test::makeItem(kind, cx, cy, w, h, kRedItem, angle);
        it.selected = true;
        it.keyColor = kImageKeyColor;
        doc.items.append(it);
        return doc.items.last();
    }

    TItemStatus& addImage(int slot, bool picture, int cx, int cy, int w, int h, int angle = 0)
    {
        TItemStatus& it = add(kKindImage, cx, cy, w, h, angle);
        it.imageSlot = slot;
        it.fromPicture = picture;
        it.poolIndex = uint32_t(slot - 1);
        return it;
    }

    QRgb at(int x, int y) const { return canvas.pixel(x, y) & 0xFFFFFF; }
    int countOf(QRgb c) const
    {
        int n = 0;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x)
                n += at(x, y) == c;
        return n;
    }
};

TEST_F(ItemDrawing, GeometryHelpersFollowTheTurnRules)
{
    // Box corners: centre (5, 10) times 2 placed at (100, 200), half sizes 20 and 10.
    const BoxCorners flat = rectCorners(2, 0, 10, 5, 20, 10, 100, 200);
    EXPECT_EQ(flat[0], QPoint(90, 210));
    EXPECT_EQ(flat[1], QPoint(130, 210));
    EXPECT_EQ(flat[2], QPoint(90, 230));
    EXPECT_EQ(flat[3], QPoint(130, 230));
    // A quarter turn counter-clockwise takes the top-left corner to the bottom-left.
    const BoxCorners turned = rectCorners(2, M_PI / 2, 10, 5, 20, 10, 100, 200);
    EXPECT_EQ(turned[0], QPoint(100, 240));
    EXPECT_EQ(turned[3], QPoint(120, 200));

    const EllipsePoints e = ellipsePoints(0, 20, 10, 100, 150);
    EXPECT_EQ(e[0], QPoint(130, 100)); // left end
    EXPECT_EQ(e[360], e[0]);
    EXPECT_EQ(e[90], QPoint(150, 90)); // a quarter on: the top
    EXPECT_EQ(e[180], QPoint(170, 100));
    EXPECT_EQ(drawAngle(30), -30);
}

TEST_F(ItemDrawing, ShapesFillTheirTurnedBoxes)
{
    useThumbnail();
    add(kKindRect, -700, -500, 400, 200);        // 40 x 20 px around (80, 50)
    add(kKindRect, 0, -500, 400, 200, 90);       // 20 x 40 px around (150, 50)
    add(kKindEllipse, 700, -500, 400, 200);      // around (220, 50)
    add(kKindRect, -700, 400, 600, 60, 45);      // thin bars rising to the right
    add(kKindEllipse, 0, 400, 600, 60, 45);
    add(kKindBox, 700, 400, 400, 200, 45);       // kind 5 ignores the angle
    r.drawItems(kTargetThumbnail);

    EXPECT_EQ(at(60, 50), kRed); // left edge of [60, 100)
    EXPECT_EQ(at(99, 59), kRed);
    EXPECT_EQ(at(59, 50), kBackdrop);
    EXPECT_EQ(at(100, 50), kBackdrop);

    EXPECT_EQ(at(150, 32), kRed); // turned: 20 wide, 40 high
    EXPECT_EQ(at(150, 67), kRed);
    EXPECT_EQ(at(150 + 15, 50), kBackdrop);

    EXPECT_EQ(at(220 + 18, 50), kRed);
    EXPECT_EQ(at(220, 50 + 8), kRed);
    EXPECT_EQ(at(220 + 18, 50 + 8), kBackdrop); // outside the ellipse, inside its box

    // Positive angles turn counter-clockwise as seen: up and to the right.
    EXPECT_EQ(at(80 + 15, 140 - 15), kRed);
    EXPECT_EQ(at(80 + 15, 140 + 15), kBackdrop);
    EXPECT_EQ(at(150 + 15, 140 - 15), kRed);
    EXPECT_EQ(at(150 + 15, 140 + 15), kBackdrop);

    EXPECT_EQ(at(220 + 19, 140 + 9), kRed); // the unturned box's corner
    for (int i = 1; i < doc.items.size(); ++i)
        EXPECT_EQ(doc.items[i].color, kRedItem); // shapes keep their colour
}

TEST_F(ItemDrawing, ThinBoxShowsTwoPixelsAndUnknownKindsNothing)
{
    useThumbnail();
    add(kKindBox, 0, 0, 0, 200);   // w < 2: right edge 2 further
    add(kKindBox, 500, 0, 200, 0); // top = bottom: bottom 2 further
    add(kKindInvalid, -500, 0, 200, 200);
    add(6, -800, 0, 200, 200);
    add(99, 800, 0, 200, 200);
    r.drawItems(kTargetThumbnail);
    EXPECT_EQ(at(150, 100), kRed);
    EXPECT_EQ(at(151, 100), kRed);
    EXPECT_EQ(at(152, 100), kBackdrop);
    EXPECT_EQ(at(149, 100), kBackdrop);
    EXPECT_EQ(at(200, 100), kRed);
    EXPECT_EQ(at(200, 101), kRed);
    EXPECT_EQ(at(200, 102), kBackdrop);
    EXPECT_EQ(countOf(kRed), 2 * 20 + 20 * 2);
}

TEST_F(ItemDrawing, OnlyItemsMeetingThePageAreaAreDrawn)
{
    // The cover is 257 x 182 px: half spans 128 and 91 around (150, 100).
    useThumbnail();
    add(kKindRect, 1330, 0, 100, 20);    // left edge exactly on the area's edge: drawn
    add(kKindRect, 0, -960, 20, 100);    // bottom edge exactly on the top edge: drawn
    add(kKindRect, 1340, 400, 100, 20);  // one pixel beyond: not drawn
    add(kKindRect, 0, 970, 20, 100);     // one pixel below: not drawn
    st.cache.setThumb(1, halves(20, 20, kRed, kRed));
    addImage(1, false, -1300, 0, 200, 200); // photo overhanging the left edge: drawn whole
    r.drawItems(kTargetThumbnail);
    EXPECT_EQ(at(150 + 130, 100), kRed);
    EXPECT_EQ(at(150, 100 - 96), kRed);
    EXPECT_EQ(at(150 + 134, 140), kBackdrop);
    EXPECT_EQ(at(150, 100 + 96), kBackdrop);
    EXPECT_EQ(at(150 - 135, 100), kRed); // outside the page; the template covers it later
}

TEST_F(ItemDrawing, QuarterTurnedPhotoStandsUpAroundItsCentre)
{
    // 100 x 50 mm, left half red, right half blue, turned by 90 degrees: 50 x 100 mm.
    useThumbnail();
    st.cache.setThumb(1, halves(100, 50, kRed, kBlue));
    addImage(1, false, 0, 0, 1000, 500, 90);
    r.drawItems(kTargetThumbnail);
    EXPECT_EQ(at(150, 60), kBlue); // counter-clockwise: the right half goes up
    EXPECT_EQ(at(150, 140), kRed);
    EXPECT_EQ(at(127, 110), kRed);
    EXPECT_EQ(at(172, 110), kRed);
    EXPECT_EQ(at(150, 52), kBlue);
    EXPECT_EQ(at(150, 147), kRed);
    EXPECT_EQ(at(123, 100), kBackdrop); // the turn fill around it is left out
    EXPECT_EQ(at(177, 100), kBackdrop);
    EXPECT_EQ(at(150, 47), kBackdrop);
    EXPECT_EQ(at(150, 152), kBackdrop);
    EXPECT_EQ(at(190, 90), kBackdrop);
    EXPECT_EQ(doc.items[1].color, kColorWhite);

    // The same item unturned lies across.
    canvas.fill(kBackdrop);
    doc.items[1].angle = 0;
    r.drawItems(kTargetThumbnail);
    EXPECT_EQ(at(100, 75), kRed);
    EXPECT_EQ(at(199, 124), kBlue);
    EXPECT_EQ(at(99, 100), kBackdrop);
    EXPECT_EQ(at(150, 74), kBackdrop);
    EXPECT_EQ(at(150, 125), kBackdrop);
}

TEST_F(ItemDrawing, PictureKeyColoursLetThePageShowThrough)
{
    const QRgb grey150 = qRgb(150, 150, 150) & 0xFFFFFF, cream = qRgb(252, 245, 240) & 0xFFFFFF;
    const TBigBitmap picture = quadrants(60, kKeyGreen, grey150, cream, kRed);
    for (int angle : {0, 90}) {
        SCOPED_TRACE(angle);
        useThumbnail();
        st.cache.setThumb(1, picture);
        doc.items.resize(1);
        addImage(1, true, 0, 0, 600, 600, angle);
        r.drawItems(kTargetThumbnail);
        // Quadrant centres 15 px from the middle; a quarter turn moves bottom-right to top-right.
        const QPoint redAt = angle == 0 ? QPoint(165, 115) : QPoint(165, 85);
        EXPECT_EQ(at(redAt.x(), redAt.y()), kRed);
        EXPECT_EQ(countOf(kKeyGreen), 0);
        EXPECT_EQ(countOf(grey150), 0);
        EXPECT_EQ(countOf(cream), 0);
        for (QPoint p : {QPoint(135, 85), QPoint(165, 85), QPoint(135, 115), QPoint(165, 115)}) {
            if (p != redAt) {
                EXPECT_EQ(at(p.x(), p.y()), kBackdrop) << p.x() << "," << p.y();
            }
        }
    }
}

TEST_F(ItemDrawing, PrintedPictureUsesTheFullSlotWithTheSameKeys)
{
    usePrinter(400, 400, 0.2, 0, 0);
    st.cache.setImage(1, quadrants(80, kKeyGreen, kBlue, qRgb(150, 150, 150) & 0xFFFFFF, kRed));
    st.cache.setThumb(1, quadrants(8, kBlue, kBlue, kBlue, kBlue)); // must not be used
    addImage(1, true, 0, 0, 400, 400);
    r.drawItems(kTargetPrinter);
    EXPECT_EQ(at(200 - 20, 200 - 20), kBackdrop);
    EXPECT_EQ(at(200 + 20, 200 - 20), kBlue);
    EXPECT_EQ(at(200 - 20, 200 + 20), kBackdrop);
    EXPECT_EQ(at(200 + 20, 200 + 20), kRed);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    st.cache.clear();
    canvas.fill(kBackdrop);
    r.drawItems(kTargetPrinter);
    EXPECT_EQ(dialogs.messages, QStringList{kErr31});
    EXPECT_EQ(countOf(kBackdrop), 400 * 400);
}

TEST_F(ItemDrawing, PrintedTurnedPhotoKeepsItsWhiteAndLeavesTheRestUnprinted)
{
    usePrinter(300, 200, 0.1, 0, 0);
    r.loadPoolPhoto = [](int) { return halves(100, 50, 0xFFFFFF, 0xFFFFFF); };
    addImage(1, false, 0, 0, 1000, 500, 30);
    r.drawItems(kTargetPrinter);
    const QRgb whiteOne = kWhiteOne;
    EXPECT_EQ(at(150, 100), whiteOne);
    EXPECT_EQ(countOf(0xFFFFFF), 0);
    // 45 px along the long side turned counter-clockwise by 30 degrees is photo; the same
    // distance across it, or along the clockwise turn, is outside and stays unprinted.
    const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
    EXPECT_EQ(at(150 + int(45 * c), 100 - int(45 * s)), whiteOne);
    EXPECT_EQ(at(150 + int(45 * s), 100 + int(45 * c)), kBackdrop);
    EXPECT_EQ(at(150 + int(45 * c), 100 + int(45 * s)), kBackdrop);
    EXPECT_EQ(at(150 - 54, 100 - 45), kBackdrop); // corner of the turned bitmap
    EXPECT_GT(countOf(whiteOne), 4800);            // about 100 x 50
    EXPECT_LT(countOf(whiteOne), 5200);
}

TEST_F(ItemDrawing, PrintedPhotoTurnsByTheBitmapRotation)
{
    // The turned 50 x 100 bitmap goes to (left + 25, top - 25) = (125, 50) exactly.
    usePrinter(300, 200, 0.1, 0, 0);
    r.loadPoolPhoto = [](int) { return halves(100, 50, kRed, kBlue); };
    addImage(1, false, 0, 0, 1000, 500, 90);
    r.drawItems(kTargetPrinter);
    EXPECT_EQ(at(125, 50), kBlue);
    EXPECT_EQ(at(174, 50), kBlue);
    EXPECT_EQ(at(125, 149), kRed);
    EXPECT_EQ(at(174, 149), kRed);
    EXPECT_EQ(at(124, 100), kBackdrop);
    EXPECT_EQ(at(175, 100), kBackdrop);
    EXPECT_EQ(at(150, 49), kBackdrop);
    EXPECT_EQ(at(150, 150), kBackdrop);
}

TEST_F(ItemDrawing, UnreadablePoolPhotoReportsAndDrawsNothing)
{
    usePrinter(300, 200, 0.1, 0, 0);
    addImage(1, false, 0, 0, 1000, 500); // the default reader finds no pool entry
    add(kKindRect, 0, 0, 100, 100);      // drawing goes on with the next item
    r.drawItems(kTargetPrinter);
    EXPECT_EQ(dialogs.messages, (QStringList{kErr33, kErr30}));
    EXPECT_EQ(countOf(kRed), 100);
    EXPECT_EQ(countOf(kBackdrop), 300 * 200 - 100);
}

TEST_F(ItemDrawing, DefaultPoolReaderPrintsThePoolCopy)
{
    usePrinter(300, 200, 0.1, 0, 0);
    st.pool.append({kPoolPhotoName, false, 64, 32});
    QDir().mkpath(doc.work().imgFolder());
    TBigBitmap photo(64, 32, 24);
    photo.image().fill(QColor(200, 40, 40));
    ASSERT_TRUE(writeJpegFile(photo, doc.work().imgFolder() + "0_.jpg", 90));
    addImage(1, false, 0, 0, 1000, 500);
    r.drawItems(kTargetPrinter);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    const QColor mid = QColor::fromRgb(canvas.pixel(150, 100));
    EXPECT_NEAR(mid.red(), 200, 6);
    EXPECT_NEAR(mid.green(), 40, 6);
    EXPECT_EQ(at(99, 100), kBackdrop);
    EXPECT_NE(at(100, 100), kBackdrop);
}

TEST_F(ItemDrawing, TurnedImageOverTheLimitShrinksOnceWithTheMessage)
{
    useThumbnail();
    st.cache.setThumb(1, halves(100, 50, kRed, kRed));
    addImage(1, false, 0, 0, 2500, 1250, 10);
    addImage(1, false, 0, 0, 1250, 2500, 350);
    addImage(1, false, 0, 0, 2500, 2500, 180);
    addImage(1, false, 0, 0, 2500, 1250, 0); // unturned: no limit
    r.drawItems(kTargetThumbnail);
    EXPECT_EQ(dialogs.messages, (QStringList{kLimitMessage, kLimitMessage, kLimitMessage}));
    EXPECT_EQ(QSize(doc.items[1].width, doc.items[1].height), QSize(2000, 1000));
    EXPECT_EQ(QSize(doc.items[2].width, doc.items[2].height), QSize(1000, 2000));
    EXPECT_EQ(QSize(doc.items[3].width, doc.items[3].height), QSize(2000, 2000));
    EXPECT_EQ(QSize(doc.items[4].width, doc.items[4].height), QSize(2500, 1250));
    r.drawItems(kTargetThumbnail);
    EXPECT_EQ(dialogs.messages.size(), 3);
}

TEST_F(ItemDrawing, ShrunkImageIsDrawnAtItsNewSize)
{
    usePrinter(400, 300, 0.1, 0, 0);
    r.loadPoolPhoto = [](int) { return halves(100, 50, kRed, kRed); };
    addImage(1, false, 0, 0, 2500, 1250, 180);
    r.drawItems(kTargetPrinter);
    EXPECT_EQ(at(200 - 100, 150), kRed); // 200 x 100 px around (200, 150)
    EXPECT_EQ(at(200 + 99, 150), kRed);
    EXPECT_EQ(at(200 - 101, 150), kBackdrop);
    EXPECT_EQ(at(200 - 120, 150), kBackdrop);
}

TEST_F(ItemDrawing, PrintedSpreadPagePaintsItsBindingStripWhite)
{
    // Palm: page 1480 with binding margin 130; at half scale the strip is
    // nearest(740 / (1480 / 130)) = 65 px, and the spine lies on its inner edge.
    for (int side : {2, 1}) {
        SCOPED_TRACE(side);
        usePrinter(740, 740, 0.5, 3, side);
        r.loadPoolPhoto = [](int) { return halves(20, 20, kRed, kRed); };
        doc.items.resize(1);
        addImage(1, false, 0, 0, 1000, 1000); // across the spine
        r.drawItems(kTargetPrinter);
        if (side == 2) {
            EXPECT_EQ(at(0, 370), 0xFFFFFFu);
            EXPECT_EQ(at(64, 370), 0xFFFFFFu);
            EXPECT_EQ(at(65, 370), kRed);
            EXPECT_EQ(at(65 + 249, 370), kRed);
            EXPECT_EQ(at(65 + 250, 370), kBackdrop);
        } else {
            EXPECT_EQ(at(675 - 250, 370), kRed);
            EXPECT_EQ(at(674, 370), kRed);
            EXPECT_EQ(at(675, 370), 0xFFFFFFu);
            EXPECT_EQ(at(739, 370), 0xFFFFFFu);
            EXPECT_EQ(at(675 - 251, 370), kBackdrop);
        }
        EXPECT_EQ(at(300, 110), kBackdrop); // above the photo
    }
}

TEST_F(ItemDrawing, PreviewPlacesTheSpineLikeThePrinterWithoutAStrip)
{
    doc.currentPage = 3;
    doc.setQorType();
    st.editSide = 2;
    canvas = QImage(740, 740, QImage::Format_RGB32);
    canvas.fill(kBackdrop);
    r.previewImage = &canvas;
    add(kKindRect, 0, 0, 1000, 200);
    r.drawItems(kTargetPreview);
    EXPECT_EQ(st.originX, 65);
    EXPECT_EQ(st.originY, 370);
    EXPECT_EQ(at(0, 370), kRed);
    EXPECT_EQ(at(314, 370), kRed);
    EXPECT_EQ(at(315, 370), kBackdrop);
}

TEST_F(ItemDrawing, ReedPrintedPageStartsAtTheSpine)
{
    // Reed: page 1280, margin 100; at half scale the strip is nearest(640 / 12.8) = 50 px.
    doc.bookType = QStringLiteral("Reed");
    usePrinter(640, 670, 0.5, 3, 2);
    add(kKindRect, 300, 0, 200, 100); // 100 px wide, 150 px right of the left edge
    add(kKindRect, 0, 200, 400, 100); // across the spine
    r.drawItems(kTargetPrinter);
    EXPECT_EQ(st.originX, 0);
    EXPECT_EQ(at(100, 335), kRed);
    EXPECT_EQ(at(199, 335), kRed);
    EXPECT_EQ(at(99, 335), kBackdrop);
    EXPECT_EQ(at(200, 335), kBackdrop);
    EXPECT_EQ(at(49, 435), 0xFFFFFFu);
    EXPECT_EQ(at(50, 435), kRed);

    usePrinter(640, 670, 0.5, 3, 1);
    r.drawItems(kTargetPrinter);
    EXPECT_EQ(st.originX, 640);
}

TEST(ItemDrawingColours, ReplacementsTouchOnlyTheirColours)
{
    for (int bpp : {24, 32}) {
        SCOPED_TRACE(bpp);
        TBigBitmap b(5, 1, bpp);
        const QRgb in[5] = {0xFFFFFF, 0xFFFFFE, 0x969696, 0xFCF5F0, 0xFCF5F1};
        for (int x = 0; x < 5; ++x)
            b.setPixel(x, 0, in[x]);
        TBigBitmap white = b;
        ChangeWhiteToWhiteOne(white);
        EXPECT_EQ(white.pixel(0, 0), 0xFEFFFFu); // (254, 255, 255)
        for (int x = 1; x < 5; ++x)
            EXPECT_EQ(white.pixel(x, 0), in[x]);
        EXPECT_EQ(b.pixel(0, 0), 0xFFFFFFu); // the copy was not changed

        ChangeToumeiColor2ToToumeicolor(b);
        const QRgb want[5] = {0xFFFFFF, 0xFFFFFE, 0x00FF00, 0x00FF00, 0xFCF5F1};
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(b.pixel(x, 0), want[x]) << x;
    }
}

} // namespace

// Page templates and guides: pixels at the places the page geometry gives them.
#include "RenderFixture.h"
#include "Templates.h"
#include <QRawFont>
#include <functional>

using namespace qv;
using namespace qv::test;

namespace {

class Templates : public RenderFixture {
public:
    bool isBlue(int x, int y) const { return at(x, y) == kGuideBlue; }

    /// Runs of pixels in column x from y1 to y2 (inclusive) that differ from white.
    std::vector<std::pair<int, int>> darkRuns(int x, int y1, int y2) const
    {
        std::vector<std::pair<int, int>> runs;
        for (int y = y1; y <= y2; ++y) {
            if (at(x, y) == kWhite)
                continue;
            if (!runs.empty() && runs.back().second == y - 1)
                runs.back().second = y;
            else
                runs.push_back({y, y});
        }
        return runs;
    }

    /// Pixels of a light neutral grey, as antialiased grey lettering leaves them.
    int letteringPixels() const
    {
        int n = 0;
        for (int y = 0; y < r.backBuffer.height(); ++y)
            for (int x = 0; x < r.backBuffer.width(); ++x) {
                const QRgb c = at(x, y);
                n += qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) >= 150 && qRed(c) <= 230;
            }
        return n;
    }
};

TEST_F(Templates, FrameAndSurroundingsOnTheCover)
{
    open("Palm", 0);
    doc.hideGuides = true;
    paint();
    for (int y = T - 1; y <= B - 1; y += 7) {
        EXPECT_PIXEL(L - 1, y, kBlack);
        EXPECT_PIXEL(R, y, kBlack);
    }
    for (int x = L - 1; x <= R; x += 11) {
        EXPECT_PIXEL(x, T - 1, kBlack);
        EXPECT_PIXEL(x, B - 1, kBlack);
    }
    EXPECT_PIXEL(L - 2, cy, kBackground);
    EXPECT_PIXEL(R + 1, cy, kBackground);
    EXPECT_PIXEL(cx, T - 2, kBackground);
    EXPECT_PIXEL(cx, B, kBackground);
    // The surroundings take the page area's first row and column, up to the frame's inside.
    EXPECT_PIXEL(L, cy + 3, kBackground);
    EXPECT_PIXEL(cx + 3, T, kBackground);
    EXPECT_PIXEL(L + 1, cy + 3, kWhite);
    EXPECT_PIXEL(R - 1, cy + 3, kWhite);
    EXPECT_PIXEL(cx + 3, B - 2, kWhite);
    EXPECT_PIXEL(cx, 0, kBackground);
}

TEST_F(Templates, BookEdgeShadingUnderASpread)
{
    open("Palm", 5);
    doc.hideGuides = true;
    paint();
    const int e = std::max(X(10), 2);
    ASSERT_LE(e, X(10)); // the sample points below assume the fold's dark strips show
    EXPECT_PIXEL(L + X(100), B + 1, grey(242));     // under the pages
    EXPECT_PIXEL(L - X(10), cy, grey(242));         // beside the left page
    EXPECT_PIXEL(R + X(10), cy, grey(242));         // beside the right page
    EXPECT_PIXEL(R + X(20) + 1, cy, kBackground);
    EXPECT_PIXEL(L + X(100), B + Y(25), grey(204)); // the lower edge
    EXPECT_PIXEL(cx - X(45), B + Y(115), grey(204));
    EXPECT_PIXEL(cx - X(30), B + Y(100), grey(242));
    EXPECT_PIXEL(cx - X(30), B + Y(65), grey(219));
    EXPECT_PIXEL(cx - X(30), B + Y(55), grey(194));
    EXPECT_PIXEL(cx - X(30), B + Y(45), grey(169));
    EXPECT_PIXEL(cx - X(30), B + Y(20), grey(144));
    EXPECT_PIXEL(cx + e + 1, B + Y(50), grey(102));  // the fold
    EXPECT_PIXEL(cx - X(10), B + Y(50), grey(102));
    EXPECT_PIXEL(cx + 1, B + Y(50), grey(242));
    EXPECT_PIXEL(cx, B + Y(50), grey(242));
    EXPECT_PIXEL(cx + 1, B + Y(90) + 1, grey(102));
    EXPECT_PIXEL(cx, B + Y(110) + 1, grey(204));
    // The spine runs from the top row to just above the frame's bottom line.
    EXPECT_PIXEL(cx, T, kGuideBlue);
    EXPECT_PIXEL(cx, B - 2, kGuideBlue);
    EXPECT_PIXEL(cx, B - 1, grey(242)); // the fold reaches up over the frame's bottom line
    EXPECT_PIXEL(cx + X(60), B - 1, kBlack);
    EXPECT_PIXEL(R, cy, kBlack);
}

TEST_F(Templates, EmptyHalvesOfFirstAndLastSpread)
{
    open("Palm", 1);
    addRectItem(-700, 0, 600, 600, rgbColor(255, 0, 0)); // lies on the empty half
    paint();
    EXPECT_PIXEL(L + 5, cy + 5, kCream);
    EXPECT_PIXEL(cx - X(140), cy + 5, kCream);
    EXPECT_PIXEL(cx - 1, cy + 5, kCream);
    EXPECT_PIXEL(cx + X(30), cy + 5, kWhite);

    open("Palm", 16);
    paint();
    EXPECT_PIXEL(cx + 5, cy + 5, kCream);
    EXPECT_PIXEL(R - 1, cy + 5, kCream);
    EXPECT_PIXEL(R, cy + 5, kBlack);
    EXPECT_PIXEL(cx, cy + 5, kGuideBlue);
    EXPECT_PIXEL(cx - X(30), cy + 5, kWhite);

    open("Palm", 15); // not the last: both pages show
    paint();
    EXPECT_PIXEL(cx + 5, cy + 5, kWhite);

    open("Reed", 1); // the wire-bound book shows the background there
    paint();
    EXPECT_PIXEL(L + 5, cy + 5, kBackground);
    EXPECT_PIXEL(cx - X(150), cy + 5, kBackground);
    open("Reed", 16);
    paint();
    EXPECT_PIXEL(R - 1, cy + 5, kBackground);
    EXPECT_PIXEL(R + 1, cy + 5, kBackground);
}

TEST_F(Templates, ReedHolesWiresAndBindingBand)
{
    for (int zoom : {2, 5}) {
        SCOPED_TRACE(zoom);
        open("Reed", 5, zoom);
        doc.hideGuides = true;
        addRectItem(0, -500, 800, 200, rgbColor(255, 0, 0)); // across the spine, near the top
        paint();
        doc.items.resize(1);
        // Centre column of the right-hand holes (2.3 mm to 6.3 mm right of the spine).
        const int holeX1 = R - X(1280 - 23), holeX2 = R - X(1280 - 63);
        const int mid = (holeX1 + holeX2) / 2;
        const auto runs = darkRuns(mid, T + 1, B - 1); // row T belongs to the surroundings
        ASSERT_EQ(runs.size(), 22u);
        // The topmost hole lies 128 mm to 132 mm above the bottom edge, the lowest 2 mm to 6 mm.
        EXPECT_EQ(runs.front().first, B - Y(1320));
        EXPECT_EQ(runs.front().second, B - Y(1280) - 1);
        EXPECT_EQ(runs.back().first, B - Y(60));
        EXPECT_EQ(runs.back().second, B - Y(20) - 1);
        EXPECT_PIXEL(mid, B - Y(60 * 3), kBlack); // outline
        // The wire loop joins the hole centres across the spine.
        const int ym = B - Y(60 * 3 - 20);
        if (zoom == 5) {
            EXPECT_PIXEL(holeX2 - 3, ym + 3, kHoleGrey);
        }
        EXPECT_PIXEL(cx + 1, ym, kBlack);
        EXPECT_PIXEL(cx - 1, ym, kBlack);
        EXPECT_PIXEL(cx + X(20), ym, kBlack);
        EXPECT_PIXEL(cx - X(20), ym, kBlack);
        // The white band over the binding hides items there; beyond it they show.
        EXPECT_PIXEL(cx + X(100) - 1, cy - Y(500), kWhite);
        EXPECT_PIXEL(cx - X(100), cy - Y(500), kWhite);
        EXPECT_PIXEL(cx + X(100) + 2, cy - Y(500), rgb(255, 0, 0));
        EXPECT_PIXEL(cx, cy - Y(500), kGuideBlue); // the spine on top
        // No frame and no shading.
        EXPECT_PIXEL(L - 1, cy, kBackground);
        EXPECT_PIXEL(cx - X(30), B + Y(20), kBackground);
    }
}

TEST_F(Templates, CoverLinesPerBookType)
{
    struct Case {
        const char* type;
        std::function<void(Templates&)> check;
    };
    const auto blue = [](Templates& t, int x, int y) { EXPECT_TRUE(t.isBlue(x, y)) << "(" << x << ", " << y << ")"; };
    const auto notBlue = [](Templates& t, int x, int y) { EXPECT_FALSE(t.isBlue(x, y)) << "(" << x << ", " << y << ")"; };
    const Case cases[] = {
        {"Palm", [&](Templates& t) {
             blue(t, t.L + t.X(720), t.cy);
             blue(t, t.L + t.X(620), t.cy);
             blue(t, t.R - t.X(300), t.cy); // outline's right side, one in from its end
             notBlue(t, t.R - t.X(300) + 1, t.cy);
             const int y = t.T + t.Y(150); // dotted fold line: 2 on, 2 off from its start
             blue(t, t.L + 1, y);
             blue(t, t.L + 2, y);
             notBlue(t, t.L + 3, y);
             notBlue(t, t.L + 4, y);
             blue(t, t.L + 5, y);
             notBlue(t, t.L + 1, t.B - t.Y(150) + 2);
         }},
        {"Reed", [&](Templates& t) {
             const int x = t.L + t.X(320) + 1;
             blue(t, x, t.T);
             blue(t, x, t.T + 1);
             notBlue(t, x, t.T + 2);
             blue(t, t.L + t.X(720), t.cy);
         }},
        {"Cedar", [&](Templates& t) {
             blue(t, t.L + t.X(400), t.T);
             blue(t, t.L + t.X(400), t.B - 3);
             blue(t, t.L + t.X(520), t.cy);
             blue(t, t.R - t.X(350), t.B - 3);
             blue(t, t.R - t.X(350) - 1, t.B - 2);
             notBlue(t, t.R - t.X(350), t.B - 2); // both lines leave out their last pixel
         }},
        {"Fern L", [&](Templates& t) {
             blue(t, t.L + t.X(720), t.cy);
             blue(t, t.L + t.X(880), t.B - 2);
             notBlue(t, t.L + t.X(800), t.cy);
         }},
        {"Maple", [&](Templates& t) {
             blue(t, t.L + t.X(710), t.cy);
             blue(t, t.L + t.X(470), t.cy);
             blue(t, t.R - t.X(380), t.cy);
             blue(t, t.L + 1, t.T + t.Y(130));
             notBlue(t, t.L + 3, t.T + t.Y(130));
         }},
        {"Fern M", [&](Templates& t) {
             blue(t, t.L, t.T + t.Y(145));
             blue(t, t.R - 1, t.B - t.Y(145));
             const int x = t.L + t.X(610);
             blue(t, x, t.T + t.Y(145) + 1);
             notBlue(t, x, t.T + t.Y(145) + 2);
             blue(t, x, t.T + t.Y(145) + 4);
             blue(t, t.R - t.X(300), t.T + t.Y(145) + 4);
         }},
        {"Fern S", [&](Templates& t) {
             blue(t, t.L + 1, t.T + t.Y(285));
             blue(t, t.R - 2, t.T + t.Y(285));
             notBlue(t, t.R - 1, t.T + t.Y(285));
             for (double u : {337.5, 1427.5, 1542.5, 2632.5}) {
                 blue(t, t.L + t.X(u), t.T + t.Y(285) + 4);
                 notBlue(t, t.L + t.X(u), t.T + t.Y(285) + 6);
             }
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        open(c.type, 0);
        doc.hideGuides = true;
        paint();
        c.check(*this);
        // The page's inner spreads carry no cover lines.
        open(c.type, 5);
        doc.hideGuides = true;
        paint();
        notBlue(*this, L + X(720), cy + 3);
    }
}

TEST_F(Templates, SpreadGrids)
{
    open("Palm", 5);
    paint();
    EXPECT_PIXEL(cx + X(70) - 1, cy + 5, kGridGrey);
    EXPECT_PIXEL(cx - X(70), cy + 5, kGridGrey);
    EXPECT_PIXEL(cx + X(80) + X(70) - 1, cy + 5, kGridGrey);
    EXPECT_PIXEL(cx + X(40), cy + 5, kWhite); // 7 mm either side of the spine stay free
    EXPECT_PIXEL(cx + X(30), cy - 1, kGridGrey);
    EXPECT_PIXEL(cx + X(30), cy + Y(80) - 1, kGridGrey);
    EXPECT_PIXEL(cx + X(30), cy, kWhite);
    EXPECT_PIXEL(cx + X(1280) + X(70) - 1, cy + 5, kWhite); // 16 lines a side only

    open("Maple", 5); // 20 lines a side
    paint();
    EXPECT_PIXEL(cx + X(1520) + X(70) - 1, cy + 5, kGridGrey);

    open("Cedar", 5); // 10 mm grid with a line beside the spine
    paint();
    EXPECT_PIXEL(cx - 1, cy + 5, kGridGrey);
    EXPECT_PIXEL(cx - 1 + X(100), cy + 5, kGridGrey);
    EXPECT_PIXEL(cx + 5, cy, kGridGrey);
    EXPECT_PIXEL(cx + 5, cy - Y(100), kGridGrey);
    EXPECT_PIXEL(cx + 5, cy + 1, kWhite);

    doc.hideGuides = true; // the grid goes, the template stays
    paint();
    EXPECT_PIXEL(cx - 1, cy + 5, kWhite);
    EXPECT_PIXEL(cx + 5, cy, kWhite);
    EXPECT_PIXEL(cx, cy, kGuideBlue);
    EXPECT_PIXEL(L - 1, T, kBlack);
}

TEST_F(Templates, CoverGridAndLettering)
{
    open("Palm", 0);
    paint();
    const int gy = cy + Y(80) + 5;
    EXPECT_PIXEL(cx + X(180), gy, kGridGrey);
    EXPECT_PIXEL(cx + X(180) - X(720), gy, kGridGrey);
    EXPECT_PIXEL(cx - X(30), cy, kGridGrey);
    EXPECT_PIXEL(cx - X(30), cy + 5, kWhite);
    const int palmLetters = letteringPixels();
    EXPECT_GT(palmLetters, 200);

    doc.hideGuides = true;
    paint();
    EXPECT_EQ(letteringPixels(), 0);
    EXPECT_PIXEL(cx + X(180), gy, kWhite);

    for (const char* type : {"Cedar", "Maple"}) {
        open(type, 0);
        doc.hideGuides = false;
        paint();
        EXPECT_GT(letteringPixels(), 150) << type;
    }
    for (const char* type : {"Reed", "Fern S", "Fern M", "Fern L"}) {
        open(type, 0);
        paint();
        EXPECT_EQ(letteringPixels(), 0) << type;
    }
}

TEST_F(Templates, LetteringFaceHasJapaneseGlyphs)
{
    const QRawFont raw = QRawFont::fromFont(coverLabelFont(15));
    ASSERT_TRUE(raw.isValid());
    for (QChar c : QStringLiteral("裏巻込み部分表紙背切り取"))
        EXPECT_TRUE(raw.supportsCharacter(c)) << QString(c).toStdString() << " in " << raw.familyName().toStdString();
}

TEST_F(Templates, PreviewShowsCoverLinesOnly)
{
    open("Palm", 0);
    QImage preview(514, 364, QImage::Format_RGB32); // the cover at 0.2 pixels per unit
    r.previewImage = &preview;
    r.paintPageBase(kTargetPreview);
    r.drawItems(kTargetPreview);
    r.drawTemplate(kTargetPreview);
    ASSERT_EQ(st.originX, 257);
    const int Lp = 0, Tp = 0;
    EXPECT_EQ(hex(preview.pixel(Lp + r.toPxX(kTargetPreview, 720), 182)), hex(kGuideBlue));
    int black = 0;
    for (int y = 0; y < preview.height(); ++y)
        for (int x = 0; x < preview.width(); ++x)
            black += (preview.pixel(x, y) & 0xFFFFFF) == 0;
    EXPECT_EQ(black, 0); // no frame
    EXPECT_EQ(hex(preview.pixel(Lp + 3, Tp + 3)), hex(kWhite));

    open("Palm", 5); // a spread: no surroundings, spine or shading at all
    st.editSide = 2;
    QImage page(296, 296, QImage::Format_RGB32);
    r.previewImage = &page;
    r.paintPageBase(kTargetPreview);
    r.drawItems(kTargetPreview);
    r.drawTemplate(kTargetPreview);
    int marked = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            marked += (page.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    EXPECT_EQ(marked, 0);
}

TEST_F(Templates, OnlyTheirTargetsAndKnownTypes)
{
    open("Palm", 5);
    QImage printer(300, 300, QImage::Format_RGB32);
    printer.fill(Qt::white);
    r.printerBitmap = &printer;
    st.originX = 150;
    st.originY = 150;
    r.drawTemplate(kTargetPrinter);
    r.drawGuides(kTargetPrinter);
    r.fitBackBuffer();
    r.backBuffer.fill(Qt::white);
    st.originX = cx = 316;
    st.originY = cy = 205;
    r.drawGuides(kTargetEditor);
    EXPECT_PIXEL(cx + X(70) - 1, cy + 5, kGridGrey);
    doc.bookType = QStringLiteral("Oak"); // no such type: nothing drawn
    r.backBuffer.fill(Qt::white);
    r.drawTemplate(kTargetEditor);
    r.drawGuides(kTargetEditor);
    EXPECT_EQ(r.backBuffer.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(printer.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(printer.pixel(150, 150) & 0xFFFFFF, 0xFFFFFFu);
}

} // namespace

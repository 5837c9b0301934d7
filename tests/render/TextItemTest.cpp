// Text items: splitting and placement rules, the box fitted on screen targets, grey bars for
// unreadable sizes, and the printer drawing into the stored box.
#include "TextFixture.h"
#include "TextLayout.h"
#include <limits>
#include <numbers>

using namespace qv;
using namespace qv::test;

namespace {

class TextItem : public TextFixture {
protected:
    QRect notWhite() const
    {
        QRect box;
        for (int y = 0; y < r.backBuffer.height(); ++y)
            for (int x = 0; x < r.backBuffer.width(); ++x)
                if (at(x, y) != kWhite)
                    box |= QRect(x, y, 1, 1);
        return box;
    }
};

TEST(TextLines, SplittingAndFullWidthForms)
{
    QString rest = QStringLiteral("一行目\r\n二行目\r\n");
    EXPECT_EQ(GetWriteText(rest, kLineBreak), QStringLiteral("一行目"));
    EXPECT_EQ(rest, QStringLiteral("二行目\r\n"));
    rest = QStringLiteral("終わり");
    EXPECT_EQ(GetWriteText(rest, kLineBreak), QStringLiteral("終わり"));
    EXPECT_TRUE(rest.isEmpty());

    EXPECT_EQ(textLines(QStringLiteral("a\r\nb\r\n")), QStringList({"a", "b"})); // no empty last line
    EXPECT_EQ(textLines(QStringLiteral("a\r\n\r\nb")), QStringList({"a", "", "b"}));
    EXPECT_EQ(textLines(QStringLiteral("\r\n")), QStringList({""}));
    EXPECT_TRUE(textLines(QString()).isEmpty());
    EXPECT_EQ(textLines(QStringLiteral("a\nb")), QStringList({"a\nb"})); // only CR LF separates

    const QString ascii = QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const QString wide = ENumToJNum(ascii);
    ASSERT_EQ(wide.size(), 62);
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(wide[k].unicode(), 0xFF10 + k);
    for (int k = 0; k < 26; ++k) {
        EXPECT_EQ(wide[10 + k].unicode(), 0xFF41 + k);
        EXPECT_EQ(wide[36 + k].unicode(), 0xFF21 + k);
    }
    EXPECT_EQ(ENumToJNum(QStringLiteral("あ-_!? Ａ１")), QStringLiteral("あ-_!? Ａ１"));
}

TEST(TextLines, StartsAndTurning)
{
    // A 100-pixel line in a 300-pixel box: 100 in when centred, 200 in at the tail.
    EXPECT_DOUBLE_EQ(GetHorizonalStart(4, 100, 350, 50), 150);
    EXPECT_DOUBLE_EQ(GetHorizonalStart(1, 100, 350, 50), 250);
    EXPECT_DOUBLE_EQ(GetHorizonalStart(0, 100, 350, 50), 50);
    EXPECT_DOUBLE_EQ(GetHorizonalStart(2, 100, 350, 50), 50); // a vertical code: head
    EXPECT_DOUBLE_EQ(GetVerticalStart(4, 100, 350, 50), 150);
    EXPECT_DOUBLE_EQ(GetVerticalStart(3, 100, 350, 50), 250);
    EXPECT_DOUBLE_EQ(GetVerticalStart(2, 100, 350, 50.5), 50); // head rounds, halves to even
    EXPECT_DOUBLE_EQ(GetVerticalStart(3, 100.5, 350, 50), 250); // 249.5 to even
    EXPECT_DOUBLE_EQ(GetVerticalStart(0, 100, 350, 50.5), 50.5); // a horizontal code: head, as is

    const double quarter = std::numbers::pi / 2;
    EXPECT_EQ(rotatePoint(1, 0, 50, 40, 70, 90), QPoint(90, 70));
    EXPECT_EQ(rotatePoint(1, quarter, 50, 40, 50, 60), QPoint(40, 30)); // right of centre goes up
    EXPECT_EQ(rotatePoint(1, quarter, 50, 40, 60, 40), QPoint(50, 50)); // below goes right
    EXPECT_EQ(rotatePoint(2, quarter, 25, 20, 50, 60), QPoint(40, 30)); // the centre is scaled
    EXPECT_EQ(rotatePoint(1, 0, 0, 0, 2.5, 1.5), QPoint(2, 2));         // halves to even

    EXPECT_EQ(evenUp(1.2), 2);
    EXPECT_EQ(evenUp(2.5), 2);
    EXPECT_EQ(evenUp(3.5), 4);
    EXPECT_EQ(evenUp(-3), -2);
}

TEST_F(TextItem, TwoLinesFitTheirHeightAndCentreOnTheCentre)
{
    addTextItem(QStringLiteral("■■\r\n■■"), kGothicP, 0, 0);
    drawAlone();
    EXPECT_EQ(item().height, 88); // 53 + 35
    EXPECT_EQ(item().lineCount, 2);
    EXPECT_EQ(item().centerX, 0);
    EXPECT_EQ(item().centerY, 0);
    const int32_t width = item().width;
    EXPECT_GT(width, 35);

    drawAlone(); // placed exactly once the line count is known
    EXPECT_EQ(item().height, 88);
    EXPECT_EQ(item().width, width);
    EXPECT_EQ(item().centerY, 0);
    const QRect block = ink();
    ASSERT_FALSE(block.isNull());
    EXPECT_NEAR((block.top() + block.bottom() + 1) / 2.0, cy, 1.0);
    EXPECT_NEAR((block.left() + block.right() + 1) / 2.0, cx, 1.0);
    // The fitted width is the advance of the letters, a little more than their ink.
    EXPECT_GE(X(width), block.width());
    EXPECT_LE(X(width), block.width() + 5);
    // Two lines with a gap between them, one line-step (20 pixels) apart.
    const QRect first = ink({block.left(), block.top(), block.width(), Y(35)});
    const QRect second = ink({block.left(), first.bottom() + 2, block.width(), Y(53)});
    EXPECT_EQ(second.top() - first.top(), Y(53));
    EXPECT_EQ(second.height(), first.height());
    keep(QStringLiteral("text-two-lines"));
}

TEST_F(TextItem, ThreeColumnsFitTheirWidthFirstColumnRightmost)
{
    addTextItem(QStringLiteral("■■■\r\n■\r\n■■"), QStringLiteral("@") + kGothicP);
    addTextItem(QStringLiteral("■"), QStringLiteral("@") + kGothicP, 0, 0);
    drawAlone(2);
    const int32_t oneHigh = item(2).height;
    drawAlone();
    drawAlone();
    EXPECT_EQ(item().width, 141); // 53 × 2 + 35
    EXPECT_EQ(item().lineCount, 3);
    EXPECT_NEAR(item().height, 3 * oneHigh, 1); // the longest column
    EXPECT_EQ(item().centerX, 0);

    const QRect block = ink();
    ASSERT_FALSE(block.isNull());
    EXPECT_NEAR((block.left() + block.right() + 1) / 2.0, cx, 1.0);
    EXPECT_GE(X(141), block.width());
    EXPECT_LE(X(141), block.width() + 6);
    // Columns 20 pixels apart from the right: three characters, then one, then two.
    const int step = X(53), col = X(35);
    auto column = [&](int k) { return ink({block.right() + 1 - col - k * step, block.top(), col, block.height()}); };
    const QRect c0 = column(0), c1 = column(1), c2 = column(2);
    ASSERT_FALSE(c1.isNull());
    EXPECT_NEAR(c0.height() - c1.height(), 2 * (c2.height() - c1.height()), 1);
    EXPECT_GT(c2.height(), c1.height() + c1.height() / 2);
    EXPECT_EQ(c0.top(), c1.top()); // head alignment
    EXPECT_EQ(c0.top(), c2.top());
    keep(QStringLiteral("text-three-columns"));
}

TEST_F(TextItem, LinesAlignWithinTheBox)
{
    addTextItem(QStringLiteral("■■■■\r\n■■"), kGothic);
    struct Case {
        int32_t align;
        const char* what;
    };
    for (const Case c : {Case{0, "head"}, Case{4, "centre"}, Case{1, "tail"}}) {
        item().textAlign = c.align;
        drawAlone();
        drawAlone();
        const QRect block = ink();
        const QRect first = ink({block.left(), block.top(), block.width(), Y(35)});
        const QRect second = ink({block.left(), block.top() + Y(53), block.width(), Y(35)});
        EXPECT_NEAR(first.width(), 2 * second.width(), 3) << c.what;
        const int firstAt[] = {first.left(), first.center().x(), first.right()};
        const int secondAt[] = {second.left(), second.center().x(), second.right()};
        const int edge = c.align == 0 ? 0 : c.align == 4 ? 1 : 2;
        EXPECT_NEAR(secondAt[edge], firstAt[edge], 1) << c.what;
    }

    item().fontName = QStringLiteral("@") + kGothic;
    item().textAlign = 3; // tail of a column: the bottom
    drawAlone();
    drawAlone();
    const QRect block = ink();
    const QRect first = ink({block.right() + 1 - X(35), block.top(), X(35), block.height()});
    const QRect second = ink({block.right() + 1 - X(35) - X(53), block.top(), X(35), block.height()});
    EXPECT_NEAR(first.height(), 2 * second.height(), 3);
    EXPECT_NEAR(second.bottom(), first.bottom(), 1);
    EXPECT_GT(second.top(), first.top() + first.height() / 3);
}

TEST_F(TextItem, TurnedTextRunsCounterClockwise)
{
    // A square, then a triangle pointing to the top of the letters.
    addTextItem(QStringLiteral("■▲"), kGothic);
    item().fontSize = 100;
    const int half = X(100) / 2;

    item().angle = 90; // the baseline runs upward, the tops of the letters face left
    drawAlone();
    QRect all = ink();
    ASSERT_FALSE(all.isNull());
    EXPECT_GT(all.height(), all.width() * 3 / 2);
    EXPECT_NEAR((all.left() + all.right() + 1) / 2.0, cx, 2.0);
    const QRect square = ink({cx - half, cy, 2 * half, 3 * half});
    const QRect triangle = ink({cx - half, cy - 3 * half, 2 * half, 3 * half});
    ASSERT_FALSE(square.isNull());
    ASSERT_FALSE(triangle.isNull());
    EXPECT_GT(square.top(), triangle.bottom()); // the first letter is the lowest
    const int apexSide = inkCount(r.backBuffer, {triangle.left(), triangle.top(), 3, triangle.height()});
    const int baseSide = inkCount(r.backBuffer, {triangle.right() - 2, triangle.top(), 3, triangle.height()});
    EXPECT_LT(apexSide * 2, baseSide);
    keep(QStringLiteral("text-turned-90"));

    item().angle = 270; // downward
    drawAlone();
    EXPECT_FALSE(ink({cx - half, cy - 3 * half, 2 * half, 3 * half}).isNull());
    EXPECT_GT(inkCount(r.backBuffer, {cx - half, cy - 3 * half, 2 * half, 3 * half}),
              inkCount(r.backBuffer, {cx - half, cy + 2, 2 * half, 3 * half})); // square above, triangle below
}

TEST_F(TextItem, TurnedLinesCentreOnTheItemOnScreenAndPaper)
{
    QImage sheet;
    r.printerBitmap = &sheet;
    r.printerScaleX = r.scaleX(kTargetEditor);
    r.printerScaleY = r.scaleY(kTargetEditor);
    for (const QString& font : {kGothic, QStringLiteral("@") + kGothic}) {
        for (const QString& text : {QStringLiteral("■■"), QStringLiteral("■■\r\n■■"), QStringLiteral("■■\r\n■■\r\n■■")}) {
            for (int32_t angle : {0, 90, 180, 270}) {
                SCOPED_TRACE(QStringLiteral("%1 / %2 / %3").arg(font, text).arg(angle).toStdString());
                doc.items.resize(1);
                addTextItem(text, font).angle = angle;
                drawAlone();
                drawAlone(); // placed exactly once the line count is known
                const QRect onScreen = ink();
                ASSERT_FALSE(onScreen.isNull());
                EXPECT_NEAR((onScreen.left() + onScreen.right() + 1) / 2.0, cx, 2.0);
                EXPECT_NEAR((onScreen.top() + onScreen.bottom() + 1) / 2.0, cy, 2.0);

                sheet = QImage(r.backBuffer.size(), QImage::Format_RGB32);
                sheet.fill(Qt::white);
                r.drawTextItem(kTargetPrinter, 1);
                const QRect onPaper = inkBounds(sheet, sheet.rect());
                EXPECT_NEAR(onPaper.left(), onScreen.left(), 1);
                EXPECT_NEAR(onPaper.top(), onScreen.top(), 1);
                EXPECT_NEAR(onPaper.right(), onScreen.right(), 1);
                EXPECT_NEAR(onPaper.bottom(), onScreen.bottom(), 1);
            }
        }
    }
    r.printerBitmap = nullptr;
}

TEST_F(TextItem, TooSmallTextShowsGreyBarsAndKeepsTheItem)
{
    open("Palm", 0, 1); // 15 units a pixel: 20-unit characters are one pixel high
    addTextItem(QStringLiteral("あいう\r\nえお"), kGothicP, 300, -200);
    item().fontSize = 20;
    item().lineCount = 2;
    item().width = 123;
    item().height = 456;
    const TItemStatus before = item();
    drawAlone();
    EXPECT_EQ(item(), before);

    // Two bars of 2 pixels, one under the other, from the first line's even-rounded box.
    const int shift = 10 + (53 - 20) / 2;
    const int top = evenUp(cy + Y(-200 - shift) - 0.5);
    const QRect grey = notWhite();
    ASSERT_FALSE(grey.isNull());
    for (int y = grey.top(); y <= grey.bottom(); ++y)
        for (int x = grey.left(); x <= grey.right(); ++x)
            ASSERT_EQ(hex(at(x, y)), hex(kHoleGrey)) << x << "," << y;
    EXPECT_EQ(grey.top(), top);
    EXPECT_EQ(grey.height(), 4);
    EXPECT_EQ(grey.left() % 2, 0);
    EXPECT_NEAR(grey.left(), cx + X(300) - grey.width() / 2, 1);

    // A column: the bars stand side by side from the right edge, the first rightmost.
    item().fontName = QStringLiteral("@") + kGothicP;
    const TItemStatus column = item();
    drawAlone();
    EXPECT_EQ(item(), column);
    const QRect bars = notWhite();
    ASSERT_FALSE(bars.isNull());
    EXPECT_EQ(bars.width(), 4);
    EXPECT_EQ(bars.left(), evenUp(cx + X(300 + shift) + 0.5));
    EXPECT_EQ(hex(at(bars.left(), bars.top())), hex(kHoleGrey));
}

TEST_F(TextItem, EmptyTextDrawsNothingAndFitsToNothing)
{
    addTextItem(QString(), kGothicP, 120, 80);
    drawAlone();
    EXPECT_TRUE(ink().isNull());
    EXPECT_EQ(item().lineCount, 0);
    EXPECT_EQ(item().height, 35);
    EXPECT_EQ(item().width, 0);
    EXPECT_EQ(item().centerX, 120);
    EXPECT_EQ(item().centerY, 80);

    item().fontName = QStringLiteral("@") + kGothicP;
    drawAlone();
    EXPECT_TRUE(ink().isNull());
    EXPECT_EQ(item().lineCount, 0);
    EXPECT_EQ(item().width, 35);
    EXPECT_EQ(item().height, 0);
    EXPECT_EQ(item().centerX, 120);
}

TEST_F(TextItem, ControlCharactersNeitherShowNorEndTheLine)
{
    addTextItem(QStringLiteral("あいう"));
    addTextItem(QStringLiteral("あ\tい\u2028う\n"), kGothicP, 0, 300);
    drawAlone(1);
    drawAlone(2);
    EXPECT_GT(item(1).width, 35 * 2);
    EXPECT_EQ(item(2).width, item(1).width);
    EXPECT_EQ(item(2).lineCount, 1);
}

TEST_F(TextItem, PrinterDrawsIntoTheStoredBox)
{
    addTextItem(QStringLiteral("■■\r\n■■"), kGothic);
    item().color = rgbColor(255, 0, 0);
    drawAlone();
    ASSERT_EQ(item().height, 88);
    // The text and size change, and the sheet is printed before any repaint.
    item().text = QStringLiteral("■");
    item().fontSize = 100;
    const TItemStatus stored = item();

    QImage sheet(1000, 800, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    r.printerBitmap = &sheet;
    r.printerScaleX = r.printerScaleY = 1.0;
    st.originX = 500;
    st.originY = 400;
    r.drawTextItem(kTargetPrinter, 1);
    EXPECT_EQ(item(), stored);

    // Characters 88 - 53 = 35 pixels high, the first line at the top of the 88-pixel box.
    const QRect letters = inkBounds(sheet, sheet.rect());
    ASSERT_FALSE(letters.isNull());
    EXPECT_GE(letters.top(), 400 - 44);
    EXPECT_LE(letters.bottom(), 400 - 44 + 35);
    EXPECT_GT(letters.height(), 35 / 2);
    EXPECT_LE(letters.width(), 36);
    const QRgb middle = sheet.pixel(letters.center());
    EXPECT_GT(qRed(middle), 200);
    EXPECT_LT(qGreen(middle), 60);
}

TEST_F(TextItem, PageWalkLaysOutOnEditorAndThumbnail)
{
    addRectItem(-400, -300, 100, 100, rgbColor(0, 0, 255));
    addTextItem(QStringLiteral("あいう\r\nかき"), kGothicP, 0, 0);
    paint();
    EXPECT_EQ(item(2).lineCount, 2);
    EXPECT_EQ(item(2).height, 88);
    EXPECT_FALSE(ink({cx - 60, cy - 40, 120, 80}).isNull());

    item(2).text = QStringLiteral("あ");
    QImage thumb(160, 120, QImage::Format_RGB32);
    r.thumbnailImage = &thumb;
    r.thumbnailScale = 0.1; // 35 units: 4 pixels
    r.MPaint(kTargetThumbnail);
    EXPECT_EQ(item(2).lineCount, 1);
    EXPECT_EQ(item(2).height, 35);
    EXPECT_FALSE(inkBounds(thumb, {70, 50, 20, 20}).isNull());
}

TEST_F(TextItem, FreeScalingTakesTextOutOfTheSelection)
{
    addTextItem(QStringLiteral("あ"));
    item().selected = true;
    addRectItem(0, 300, 100, 100, 0);
    item(2).selected = true;
    drawAlone();
    EXPECT_TRUE(item().selected); // an ordinary paint leaves the selection alone

    int reanchored = 0;
    r.freeScalingActive = [] { return true; };
    r.reanchorScale = [&] { ++reanchored; };
    drawAlone();
    EXPECT_FALSE(item().selected);
    EXPECT_TRUE(item(2).selected);
    EXPECT_TRUE(doc.anySelected);
    EXPECT_EQ(reanchored, 1);
}

TEST_F(TextItem, OutlandishValuesStayWithinTheRecord)
{
    constexpr int32_t big = std::numeric_limits<int32_t>::max();
    addTextItem(QStringLiteral("あ\r\nい\r\nう"));
    item().lineSpacing = big;
    item().lineCount = big;
    drawAlone();
    EXPECT_EQ(item().lineCount, 3);
    EXPECT_EQ(item().height, big); // 2 × big + 35, held at the record's limit
    EXPECT_EQ(item().centerY, 0);

    addTextItem(QStringLiteral("あ"), QStringLiteral("@") + kGothic);
    item(2).fontSize = 50'000'000; // characters far bigger than any sheet
    drawAlone(2);
    EXPECT_EQ(item(2).width, 50'000'000);
    EXPECT_GT(item(2).height, 40'000'000);

    item(2).fontSize = -35; // no readable size: the item stays as it is
    const TItemStatus unreadable = item(2);
    drawAlone(2);
    EXPECT_EQ(item(2), unreadable);
    QImage sheet(200, 200, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    r.printerBitmap = &sheet;
    r.printerScaleX = r.printerScaleY = 4.7; // 1200 dots an inch
    r.drawTextItem(kTargetPrinter, 2);        // nothing to draw, nothing to break
    r.drawTextItem(kTargetPrinter, 99);
    item(2).fontSize = 35;
    item(2).lineCount = std::numeric_limits<int32_t>::min();
    item(2).lineSpacing = big;
    item(2).width = -big;
    r.drawTextItem(kTargetPrinter, 2);
    EXPECT_TRUE(inkBounds(sheet, sheet.rect()).isNull());
    drawAlone(2);
    EXPECT_EQ(item(2).lineCount, 1);
    EXPECT_EQ(item(2).centerX, 0);
}

} // namespace

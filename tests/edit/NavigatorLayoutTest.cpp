// The page navigator's layout per book type, its click rules, and the photo strip's drag rows.
#include "NavigatorLayout.h"
#include "PhotoStrip.h"
#include <gtest/gtest.h>

using namespace qv;

TEST(NavigatorLayout, EntriesPerBookTypeFamily)
{
    struct Case {
        const char* type;
        int cw, ch, pw, ph, range;
        QRect firstFrame, lastFrame, firstPicture;
    };
    const Case cases[] = {
        {"Palm", 59, 42, 34, 34, 878, {37, 62, 31, 36}, {6, 827, 32, 36}, {7, 63, 60, 34}},
        {"Fern M", 59, 42, 34, 34, 878, {37, 62, 31, 36}, {6, 827, 32, 36}, {7, 63, 60, 34}},
        {"Maple", 68, 48, 39, 39, 964, {37, 68, 36, 41}, {1, 908, 37, 41}, {2, 69, 70, 39}},
        {"Cedar", 56, 40, 38, 38, 940, {37, 60, 35, 40}, {2, 885, 36, 40}, {3, 61, 68, 38}},
        {"Fern S", 68, 48, 24, 34, 884, {37, 68, 21, 36}, {16, 833, 21, 36}, {17, 69, 40, 34}},
        // Reed: page pictures include both binding margins and rows start at the top.
        {"Reed", 29, 31, 34, 31, 788, {37, 20, 31, 33}, {6, 740, 32, 33}, {7, 21, 60, 31}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const NavigatorLayout l = navigatorLayout(c.type, 17, 15, true);
        EXPECT_EQ(std::tie(l.cw, l.ch, l.pw, l.ph), std::tie(c.cw, c.ch, c.pw, c.ph));
        EXPECT_EQ(l.scrollRange, c.range);
        EXPECT_EQ(l.frames[1], c.firstFrame);
        EXPECT_EQ(l.frames[16], c.lastFrame);
        EXPECT_EQ(l.pictures[1], c.firstPicture);
        // Middle spreads: frame one pixel around the picture, both centred on x = 37.
        EXPECT_EQ(l.frames[8], l.pictures[8].adjusted(-1, -1, 1, 1));
        EXPECT_EQ(l.pictures[8].left() + l.pictures[8].right() + 1, 2 * kNavCentreX);
        EXPECT_EQ(l.entryShown[0], QString(c.type) != "Reed");
        EXPECT_EQ(l.labelCount, 31);
    }
    const NavigatorLayout palm = navigatorLayout("Palm", 17, 15, true);
    EXPECT_EQ(palm.frames[0], QRect(7, 3, 61, 44));
    EXPECT_EQ(palm.pictures[0], QRect(8, 4, 59, 42));
    EXPECT_EQ(navigatorLayout("Unknown", 17, 15, true).entryCount, 0);
}

TEST(NavigatorLayout, LabelsAndStartPage)
{
    const NavigatorLayout palm = navigatorLayout("Palm", 17, 15, true);
    const NavigatorLayout reed = navigatorLayout("Reed", 17, 15, true);
    EXPECT_EQ(std::tie(palm.startPage, palm.markedLabel), std::make_tuple(0, 0));
    EXPECT_EQ(std::tie(reed.startPage, reed.markedLabel), std::make_tuple(1, 1));

    struct Case {
        const NavigatorLayout* l;
        int n;
        const char* text;
        bool shown;
        QRect rect; // for a 20 x 12 label
    };
    const Case cases[] = {
        {&palm, 0, " 表紙 ", true, {27, 48, 20, 12}},
        {&palm, 1, " 1 ", true, {42, 99, 20, 12}},   // right page, gap under page 1
        {&palm, 2, " 2 ", true, {12, 150, 20, 12}},  // left page of the first full spread
        {&palm, 3, " 3 ", true, {42, 150, 20, 12}},
        {&palm, 30, " 30 ", true, {12, 864, 20, 12}},
        {&reed, 0, "", false, {27, 6, 20, 12}},
        {&reed, 1, "表紙", true, {42, 54, 20, 12}},
        {&reed, 2, " 1 ", true, {12, 102, 20, 12}},
        {&reed, 30, " 29 ", true, {12, 774, 20, 12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(c.l->labelText(c.n), QString::fromUtf8(c.text));
        EXPECT_EQ(c.l->labelShown(c.n), c.shown);
        EXPECT_EQ(c.l->labelRect(c.n, QSize(20, 12)), c.rect);
    }
    // Without spread mode only the labels 0 .. 15 are shown, and there is one entry less.
    EXPECT_EQ(navEntryCountFor(15, false), 16);
    EXPECT_FALSE(navigatorLayout("Palm", 16, 15, false).labelShown(16));
}

TEST(NavigatorLayout, ClickChoosesSideAndWhetherToSwitch)
{
    struct Side {
        int t, x, expected;
    };
    const Side sides[] = {
        {0, 50, 0},                         // the cover has no sides
        {1, 5, 2}, {1, 55, 2},              // page 1 stands alone on the right
        {16, 5, 1}, {16, 55, 1},            // page 30 alone on the left
        {5, 29, 1}, {5, 30, 2},             // halves of a 60-pixel spread picture
    };
    for (const Side& s : sides)
        EXPECT_EQ(navClickSide(s.t, s.x, 60, 17, true), s.expected) << s.t << " at " << s.x;
    EXPECT_EQ(navClickSide(5, 55, 60, 16, false), 0);

    // The other half of the current spread reloads only in the print step.
    EXPECT_FALSE(navClickSwitches(3, 3, 1, 2, false));
    EXPECT_TRUE(navClickSwitches(3, 3, 1, 2, true));
    EXPECT_FALSE(navClickSwitches(3, 3, 2, 2, true));
    EXPECT_TRUE(navClickSwitches(4, 3, 2, 2, false));
}

TEST(PhotoStrip, DragOverRows)
{
    struct Case {
        int y, top, pool, current, expected;
    };
    const Case cases[] = {
        {0, 0, 5, 2, 2},      // not below the top edge: unchanged
        {-4, 0, 5, 2, 2},
        {97, 0, 5, 2, 0},
        {98, 0, 5, 0, 1},
        {300, 1, 5, 0, 4},    // scrolled by one row
        {300, 2, 5, 3, 3},    // below the last entry: unchanged
    };
    for (const Case& c : cases)
        EXPECT_EQ(stripDragRow(c.y, c.top, c.pool, c.current), c.expected) << c.y << " top " << c.top;

    // Dragging from row 3 across rows 4 and 5 and back out leaves row 5 current.
    int row = 3;
    for (int y : {3 * 98 + 10, 4 * 98 + 10, 5 * 98 + 10})
        row = stripDragRow(y, 0, 8, row);
    EXPECT_EQ(row, 5);
}

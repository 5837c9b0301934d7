// The editor core driven with plain input records: selection, moves, band, scale, rotation,
// creation limits, keys and the text edited in place.
#include "EditorFixture.h"

namespace qv::test {
namespace {

using Editor = EditorFixture;

TEST_F(Editor, ClickShiftAndCtrlSelect)
{
    const int a = add(kKindRect, 300, 300, 200, 100), b = add(kKindRect, 700, 300, 200, 100);
    struct Step {
        int item;   // 0: empty canvas
        bool shift, ctrl;
        bool aSel, bSel;
    };
    const Step steps[] = {
        {a, false, false, true, false},   // a plain click selects
        {b, false, false, true, true},    // and adds to the selection
        {a, true, false, true, false},    // Shift leaves only the clicked item
        {a, false, true, false, false},   // Ctrl removes it
        {b, false, false, false, true},
        {0, false, false, false, false},  // empty canvas deselects everything
    };
    for (const Step& s : steps) {
        const QPoint p = s.item ? px(doc.items[s.item].centerX, doc.items[s.item].centerY) : px(-500, -500);
        click(p, s.shift, s.ctrl);
        EXPECT_EQ(selected(a), s.aSel) << "item " << s.item << " shift " << s.shift << " ctrl " << s.ctrl;
        EXPECT_EQ(selected(b), s.bSel) << "item " << s.item << " shift " << s.shift << " ctrl " << s.ctrl;
        EXPECT_EQ(ed.itemToolsEnabled, s.aSel || s.bSel) << "item " << s.item << " shift " << s.shift;
    }
}

TEST_F(Editor, DragMovesOnlyPastTwoPixelsUnlessAlreadySelected)
{
    struct Case {
        bool preselected;
        int travel;        // pixels to the right
        int32_t expectedX; // page units
    };
    const Case cases[] = {{false, 2, 300}, {false, 3, 330}, {true, 1, 310}, {true, 0, 300}};
    for (const Case& c : cases) {
        doc.items.resize(1);
        const int a = add(kKindRect, 300, 300, 200, 100);
        doc.items[a].selected = c.preselected;
        doc.undoLevel = 0;
        const QPoint p = px(300, 300);
        drag(p, p + QPoint(c.travel, 0));
        EXPECT_EQ(doc.items[a].centerX, c.expectedX) << "travel " << c.travel << " preselected " << c.preselected;
        EXPECT_EQ(doc.undoLevel, c.expectedX != 300 || c.preselected ? 1 : 0);
    }
    // A move is the one level of undo.
    drag(px(300, 300), px(300, 300) + QPoint(5, 0));
    ASSERT_EQ(doc.items[1].centerX, 350);
    key(Qt::Key_Z, true);
    EXPECT_EQ(doc.items[1].centerX, 300);
}

TEST_F(Editor, RubberBandTakesItemsWhoseUnturnedBoxIsInside)
{
    const int inside = add(kKindRect, 300, 300, 200, 100);
    const int turned = add(kKindRect, 300, 600, 200, 100, 45);   // corners leave the band, box does not
    const int across = add(kKindRect, 1000, 300, 400, 100);
    drag(px(150, 200), px(450, 700));
    EXPECT_TRUE(selected(inside));
    EXPECT_TRUE(selected(turned));
    EXPECT_FALSE(selected(across));
    // A press on an item never draws a band.
    doc.notSelect();
    drag(px(300, 300), px(1300, 700));
    EXPECT_FALSE(selected(across));
}

TEST_F(Editor, RubberBandDraggedAnyWayReachesBothCorners)
{
    // The box is pixels 20..40 x 25..35 from the origin; each band ends exactly on one corner
    // and starts a pixel outside the opposite one.
    const int a = add(kKindRect, 300, 300, 200, 100);
    const struct { const char* way; QPoint from, to; } table[] = {
        {"down-right", {19, 24}, {40, 35}},
        {"up-left", {41, 36}, {20, 25}},
        {"up-right", {19, 36}, {40, 25}},
        {"down-left", {41, 24}, {20, 35}},
    };
    for (const auto& c : table) {
        doc.notSelect();
        drag(origin + c.from, origin + c.to);
        EXPECT_TRUE(selected(a)) << c.way;
    }
}

TEST_F(Editor, HoverArmsScaleAndDragScalesFromTheTopLeft)
{
    const int a = add(kKindRect, 300, 300, 200, 100);   // box 200..400 x 250..350
    click(px(300, 300));
    const struct {
        int inside;
        int32_t tool;
    } hovers[] = {{3, kToolScale}, {5, kToolSelect}, {0, kToolScale}};
    for (const auto& h : hovers) {
        const ChangeSet c = ed.MPLabelMouseMove(at(origin + QPoint(40 - h.inside, 35 - h.inside)), false);
        EXPECT_EQ(doc.currentTool, h.tool) << h.inside << " pixels inside";
        ASSERT_TRUE(c.cursor.has_value());
        EXPECT_EQ(*c.cursor, h.tool == kToolScale ? EditorCursor::SizeDiagonal : EditorCursor::Default);
    }
    // Uniform from the longer side: the right edge from 400 to 600 doubles the item.
    drag(origin + QPoint(40, 35), origin + QPoint(60, 40));
    EXPECT_EQ(doc.items[a].width, 400);
    EXPECT_EQ(doc.items[a].height, 200);
    EXPECT_EQ(doc.items[a].centerX, 400);
    EXPECT_EQ(doc.items[a].centerY, 350);
    EXPECT_EQ(doc.currentTool, kToolSelect);
    EXPECT_EQ(hooks.count("clearFontSizeChoice"), 1);
}

TEST_F(Editor, FreeScalingDropsTextsAndTooSmallIsRefused)
{
    const int box = add(kKindRect, 300, 300, 200, 100);
    const int text = add(kKindText, 300, 500, 200, 40);
    ChangeSet ignored;
    ed.FormKeyDown({Qt::Key_A, false, true}, ignored);   // select all; Ctrl stays held
    ed.ToolButtonClick(kBtnScale);
    view.MPaint(kTargetEditor);   // the text leaves the selection as it is drawn
    EXPECT_FALSE(selected(text));
    EXPECT_EQ(st.view.handlePoint, px(200, 250)) << "anchored at the box's top-left";
    const int32_t textWidth = doc.items[text].width;
    drag(origin + QPoint(40, 52), origin + QPoint(60, 62), false, true);
    EXPECT_EQ(doc.items[box].width, 400);    // per axis: 200 -> 400 across
    EXPECT_EQ(doc.items[text].width, textWidth);   // the text kept its size
    // A scale to below 1 mm changes nothing, yet is one undo step.
    doc.items[box].selected = true;
    doc.anySelected = true;
    ed.ToolButtonClick(kBtnScale);
    doc.undoLevel = 0;
    drag(px(500, 350), px(101, 251));
    EXPECT_EQ(doc.items[box].width, 400);
    EXPECT_EQ(doc.undoLevel, 1);
}

TEST_F(Editor, RotationsAddUpToAFullTurn)
{
    const int a = add(kKindRect, 300, 300, 200, 100, 30);
    const QPoint c = px(300, 300);
    const QPoint right = c + QPoint(50, 0), up = c + QPoint(0, -50), left = c + QPoint(-50, 0);
    const struct {
        QPoint from, to;
        int32_t angle;
    } turns[] = {{right, up, 120}, {right, left, 300}, {up, right, 210}, {left, right, 30}};
    for (const auto& t : turns) {
        click(c);
        ed.ToolButtonClick(kBtnRotate);
        drag(t.from, t.to);
        EXPECT_EQ(doc.items[a].angle, t.angle);
        EXPECT_EQ(doc.currentTool, kToolSelect);
    }
}

TEST_F(Editor, RotatingABigPhotoIsRefused)
{
    const int a = add(kKindImage, 0, 0, 2500, 1000);
    click(px(0, 0));
    ed.ToolButtonClick(kBtnRotate);
    drag(px(0, 0) + QPoint(50, 0), px(0, 0) + QPoint(0, -50));
    EXPECT_EQ(doc.items[a].angle, 0);
    EXPECT_EQ(script.messages, QStringList{"message: 幅または高さが200mmを超える画像は回転できません。"});
    EXPECT_EQ(doc.currentTool, kToolSelect);
}

TEST_F(Editor, CreationToolsStopAtAFullPage)
{
    for (int i = 0; i < 19; ++i)
        add(kKindRect, 300 + i, 300, 50, 50);
    ed.ToolButtonClick(kBtnRect);
    drag(px(200, 600), px(500, 800));
    ASSERT_EQ(doc.itemCount(), 20);
    EXPECT_EQ(doc.items[20].width, 300);   // built from the press and release corners
    EXPECT_EQ(doc.items[20].centerX, 350);
    ed.ToolButtonClick(kBtnEllipse);
    drag(px(200, 600), px(500, 800));
    EXPECT_EQ(doc.itemCount(), 20);
    EXPECT_EQ(script.messages, QStringList{"message: 最大数を超えました"});
    EXPECT_EQ(doc.currentTool, kToolSelect);
}

TEST_F(Editor, KeysMoveDeleteAndChooseTools)
{
    const int a = add(kKindRect, 300, 300, 200, 100);
    click(px(300, 300));
    doc.undoLevel = 0;
    for (int k : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Left})
        key(k);
    EXPECT_EQ(doc.items[a].centerX, 310);
    EXPECT_EQ(doc.items[a].centerY, 310);
    EXPECT_EQ(doc.undoLevel, 0);   // arrow moves are not undone
    hooks.fieldFocused = true;
    key(Qt::Key_Delete);
    EXPECT_EQ(doc.itemCount(), 1);
    hooks.fieldFocused = false;
    key(Qt::Key_Backspace);
    EXPECT_EQ(doc.itemCount(), 0);
    key(Qt::Key_F5);
    EXPECT_EQ(doc.currentTool, kToolScroll);
    key(Qt::Key_F1);   // leaves the scroll tool active
    EXPECT_EQ(doc.currentTool, kToolScroll);
    key(Qt::Key_F3);
    EXPECT_EQ(doc.currentTool, kToolRect);
}

TEST_F(Editor, TextToolCreatesOrEditsInPlace)
{
    ed.ToolButtonClick(kBtnText);
    click(px(500, 400));
    ASSERT_EQ(doc.itemCount(), 1);
    EXPECT_EQ(doc.items[1].text, kNewTextCaption);
    EXPECT_EQ(doc.items[1].centerX, 500);
    EXPECT_EQ(doc.currentTool, kToolSelect);

    // A double-click on the text opens the dialog with its values; the answer replaces them.
    script.onTextEntry = [](TextDialogValues& v) {
        EXPECT_TRUE(v.editing);
        EXPECT_EQ(v.dialogText, kNewTextCaption);
        EXPECT_FALSE(v.dialogVertical);
        EXPECT_EQ(v.dialogCharSize, 35);
        v.dialogText = QStringLiteral("夏休み");
        v.dialogVertical = true;
        v.dialogFace = QStringLiteral("IPAGothic");
        v.directionToggled = true;
        return true;
    };
    PointerInput dbl = at(px(500, 400));
    dbl.dbl = true;
    ed.MPLabelMouseDown(dbl);
    ed.MPLabelMouseUp(dbl);
    EXPECT_EQ(doc.items[1].text, QStringLiteral("夏休み"));
    EXPECT_EQ(doc.items[1].fontName, QStringLiteral("@IPAGothic"));
    EXPECT_EQ(doc.items[1].width, 35);   // across the lines of a vertical text
    EXPECT_EQ(doc.itemCount(), 1);       // the release created nothing

    script.onTextEntry = [](TextDialogValues& v) {
        v.dialogText.clear();
        return true;
    };
    ed.MPLabelMouseDown(dbl);
    EXPECT_EQ(doc.itemCount(), 0);
}

TEST_F(Editor, ReleaseSetsTheSideAndHighlightsIt)
{
    click(origin + QPoint(-20, 0));
    EXPECT_EQ(st.editSide, 1);
    click(origin + QPoint(20, 0));
    EXPECT_EQ(st.editSide, 2);
    EXPECT_TRUE(hooks.calls.contains(QStringLiteral("selectPageRect 3 1")));
    doc.currentPage = 1;   // the first spread has only its right page
    click(origin + QPoint(-20, 0));
    EXPECT_EQ(st.editSide, 2);
}

} // namespace
} // namespace qv::test

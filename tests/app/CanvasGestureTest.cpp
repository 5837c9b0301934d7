// Gestures on the real window's canvas whose release something else takes (the pop-up menu, the
// modal text dialog), the double-click, and the rotate and scale tools' marks.
#include "DesignFixture.h"
#include "PageRenderer.h"
#include "Unit14.h"
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace qv::test {
namespace {

TEST_F(CanvasForm, RightClickMenuDoesNotLeaveTheNextGestureMovingTheSelection)
{
    TForm2& d = design();
    const int a = rect(-400, 0, 200, 150);
    QTest::mouseClick(form->PBMain, Qt::LeftButton, {}, centreOf(a));   // selected: the menu is attached
    ASSERT_TRUE(d.items[a].selected);
    const TItemStatus before = d.items[a];

    windowMouse(QTest::MousePress, Qt::RightButton, centreOf(a));
    ASSERT_TRUE(form->PopupMenu1->isVisible()) << "the menu opens on the press";
    windowMouse(QTest::MouseRelease, Qt::RightButton, centreOf(a));   // the menu takes it
    form->PopupMenu1->hide();
    EXPECT_FALSE(d.buttonDown) << "no button is held once the menu is up";

    // A rectangle drawn next must leave the selected item where it stands.
    clickTool(2);
    drag(at(200, -100), at(500, 200));
    ASSERT_EQ(d.itemCount(), 2);
    EXPECT_EQ(QList<int>({d.items[a].centerX, d.items[a].centerY}), QList<int>({before.centerX, before.centerY}));
    EXPECT_EQ(d.items[2].kind, kKindRect);
}

TEST_F(CanvasForm, DoubleClickThatEmptiesATextKeepsTheGuides)
{
    TForm2& d = design();
    d.addText(0, 0, QStringLiteral("消す"));
    d.notSelect();
    script.onTextEntry = [](TextDialogValues& v) {
        v.dialogText.clear();   // the user empties the text: it is deleted
        return true;
    };
    QTest::mouseDClick(form->PBMain, Qt::LeftButton, {}, centreOf(1));
    EXPECT_EQ(d.itemCount(), 0);
    EXPECT_FALSE(d.hideGuides) << "the guides stay after deleting a text by its dialog";
    QTest::mouseDClick(form->PBMain, Qt::LeftButton, {}, at(300, 300));
    EXPECT_TRUE(d.hideGuides) << "a double-click on empty canvas hides them";
}

TEST_F(CanvasForm, TextToolReturnsToSelectionAfterEditingATextInItsDialog)
{
    TForm2& d = design();
    d.addText(0, 0, QStringLiteral("前"));
    d.notSelect();
    const QPoint text = centreOf(1);
    clickTool(1);
    ASSERT_EQ(d.currentTool, kToolText);
    // The real dialog runs modally; the user lets go of the button while it is up, then OK.
    script.onTextEntry = [&](TextDialogValues& v) {
        onNextModal([&](QWidget*) {
            windowMouse(QTest::MouseRelease, Qt::LeftButton, text);
            form->moji->Memo->setPlainText(QStringLiteral("後"));
            form->moji->Label3->click();
        });
        return form->runTextDialog(v);
    };
    windowMouse(QTest::MousePress, Qt::LeftButton, text);
    EXPECT_EQ(d.items[1].text, QStringLiteral("後"));
    EXPECT_EQ(d.itemCount(), 1) << "editing creates no new text";
    EXPECT_EQ(d.currentTool, kToolSelect);
    EXPECT_TRUE(find<QToolButton>("ToolButton0")->isChecked());
    EXPECT_FALSE(d.buttonDown);
}

TEST_F(CanvasForm, RotationCentreMarkSitsInTheMiddleBeforeTheDrag)
{
    TForm2& d = design();
    const int a = rect(-400, 0, 400, 300);
    QTest::mouseClick(form->PBMain, Qt::LeftButton, {}, centreOf(a));
    QTest::mouseMove(form->PBMain, at(-580, -130));   // a hover near the top-left corner
    clickTool(5);
    ASSERT_EQ(d.currentTool, kToolRotate);
    form->MPaint(kTargetEditor);
    const QPoint middle = centreOf(a);
    for (const QPoint step : {QPoint(0, 0), QPoint(-2, -2), QPoint(2, 2), QPoint(3, 0), QPoint(0, -3)})
        EXPECT_TRUE(blueAt(middle + step)) << "mark at the middle, offset " << step.x() << "," << step.y();
    const QPoint topLeft = at(-600, -150);
    EXPECT_FALSE(blueAt(topLeft + QPoint(2, 2))) << "no mark at the top-left corner";
}

TEST_F(CanvasForm, CtrlScaleDragAnchorsWhereTheTextsLeftTheSelection)
{
    TForm2& d = design();
    d.addText(0, 0, QStringLiteral("文字"));
    TItemStatus& text = d.items[1];
    text.centerX = -700;
    text.centerY = -300;
    const int box = rect(-300, 100, 300, 200);   // top-left (-450, 0)
    QTest::keyClick(keys(), Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(d.items[1].selected && d.items[box].selected);
    QTest::keyPress(keys(), Qt::Key_Control, Qt::ControlModifier);   // held from here on
    clickTool(4);
    EXPECT_FALSE(d.items[1].selected) << "free scaling takes the text out";
    const QPoint anchor = at(-450, 0);
    EXPECT_EQ(form->state.view.handlePoint, anchor);

    const QPoint corner = at(-150, 200) - QPoint(2, 2);
    QTest::mousePress(form->PBMain, Qt::LeftButton, Qt::ControlModifier, corner);
    QTest::mouseMove(form->PBMain, corner + QPoint(20, 10));
    form->MPaint(kTargetEditor);
    // The mark reaches 2 pixels left of the box, where neither the box nor its outline is.
    EXPECT_TRUE(blueAt(anchor + QPoint(-2, 1))) << "the anchor mark stands at the box's top-left";
    QTest::mouseRelease(form->PBMain, Qt::LeftButton, Qt::ControlModifier, corner + QPoint(20, 10));
    QTest::keyRelease(keys(), Qt::Key_Control);
    EXPECT_EQ(d.items[box].centerX - d.items[box].width / 2, -450) << "scaled about its own top-left";
    EXPECT_GT(d.items[box].width, 300);
}

} // namespace
} // namespace qv::test

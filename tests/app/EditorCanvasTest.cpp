// The editor paint box shows the current page drawn through the renderer.
#include "FormFixture.h"
#include "PageRenderer.h"
#include "PaintBox.h"
#include <QLabel>

using namespace qv;
using namespace qv::test;

TEST_F(FormTest, PaintBoxShowsTheCurrentPageAndItsHintStrip)
{
    TForm1& f = makeForm();
    f.Form2->bookType = "Palm";
    f.Form2->currentPage = 3;
    f.Form2->setQorType();
    f.PBMain->resize(632, 411);
    f.MPaint(kTargetEditor);

    ASSERT_EQ(f.backBuffer.size(), QSize(632, 411));
    EXPECT_EQ(f.state.originX, 316);
    EXPECT_EQ(f.state.originY, 205);
    // Inside the page area the base is white; well outside it the canvas colour shows.
    EXPECT_EQ(f.backBuffer.pixelColor(316 + 100, 205 + 20), QColor(Qt::white));
    EXPECT_EQ(f.backBuffer.pixelColor(2, 2), QColor(102, 102, 102));
    EXPECT_TRUE(f.PanelNote2->isVisibleTo(&f));
    EXPECT_FALSE(f.PanelNote->isVisibleTo(&f));

    f.Form2->currentPage = 0;
    f.Form2->setQorType();
    f.MPaint(kTargetEditor);
    EXPECT_TRUE(f.PanelNote->isVisibleTo(&f));
    EXPECT_EQ(f.PanelNote->text(),
              QStringLiteral(" 写真は1ページに8枚までレイアウトできます。画面をダブルクリックすると文字は隠れます。"));
}

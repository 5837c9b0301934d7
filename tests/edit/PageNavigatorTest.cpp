// Building the navigator and clicking its entries, without a window.
#include "PageNavigator.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "Unit2.h"
#include <QFileInfo>
#include <numeric>
#include <gtest/gtest.h>

using namespace qv;

namespace {

struct NavigatorFixture : testing::Test {
    test::ScriptedDialogs script;
    TMainState st;
    TForm2 doc{st, test::baseDir()};
    PageNavigator nav{doc, st};
    QStringList calls;        // what the navigator asked of the window, in order
    QVector<int> thumbnails;  // pages whose thumbnail was drawn
    bool busy = false;

    void SetUp() override
    {
        auto note = [this](const QString& s) { calls << s; };
        st.window.selectPageRect = [=](int n, bool on) { note(QStringLiteral("mark %1 %2").arg(n).arg(on)); };
        st.window.returnToSelectTool = [=] { note("select tool"); };
        st.print.PrintStart = [=] { note("preview"); };
        st.print.clearPaperName = [=] { note("paper"); };
        PageNavigator::Host& h = nav.host;
        h.applyLayout = [=](const NavigatorLayout&) { note("layout"); };
        h.drawThumbnail = [this] { thumbnails << doc.currentPage; };
        h.repaintCanvas = [=] { note("canvas"); };
        h.enableWindow = [=](bool on) { note(on ? "enable" : "disable"); };
        h.showPrintFrame = [](bool) {};
        h.busyCursorShowing = [this] { return busy; };
        h.autoPaperTicked = [] { return true; };
    }

    void click(int t, int x)
    {
        calls.clear();
        thumbnails.clear();
        nav.pressXInPicture = x;
        nav.pageClick(t, 60);
    }
};

} // namespace

TEST_F(NavigatorFixture, BuildDrawsEveryPageAndOpensTheStartPage)
{
    doc.bookType = "Reed";
    nav.buildNavigator();
    EXPECT_EQ(st.navEntryCount, 17);
    QVector<int> all(17);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(thumbnails, all);
    EXPECT_EQ(doc.currentPage, 1);
    EXPECT_EQ(st.editSide, 2);
    EXPECT_EQ(doc.pageWidth, 1280);
    EXPECT_EQ(calls, QStringList({"layout", "mark 1 1"}));
}

TEST_F(NavigatorFixture, ClicksSwitchPagesAndSides)
{
    doc.bookType = "Palm";
    nav.buildNavigator();
    doc.addText(0, 0, "cover"); // an edit on the cover, written when the cover is left

    click(3, 10); // left half of the spread of pages 4 and 5
    EXPECT_EQ(doc.currentPage, 3);
    EXPECT_EQ(st.editSide, 1);
    EXPECT_EQ(thumbnails, QVector<int>{3});
    EXPECT_EQ(calls, QStringList({"disable", "mark 0 0", "mark 4 1", "select tool", "paper", "canvas", "enable"}));
    ItemFileReader reader(ItemLayout::Current);
    ASSERT_TRUE(reader.open(doc.work().pageFolder(0) + kItemFileName));
    EXPECT_EQ(reader.count(), 1);

    click(3, 40); // the other half of the same spread: side and mark only
    EXPECT_EQ(st.editSide, 2);
    EXPECT_TRUE(thumbnails.isEmpty());
    EXPECT_EQ(calls, QStringList({"disable", "mark 4 0", "mark 5 1", "enable"}));

    doc.menuMode = kMenuModePrint; // in printing the other half reloads and rebuilds the preview
    click(3, 10);
    EXPECT_EQ(thumbnails, QVector<int>{3});
    EXPECT_EQ(calls, QStringList({"disable", "mark 5 0", "mark 4 1", "select tool", "preview", "enable"}));

    busy = true; // a switch still running: the click does nothing
    click(5, 10);
    EXPECT_EQ(doc.currentPage, 3);
    EXPECT_TRUE(calls.isEmpty());
}

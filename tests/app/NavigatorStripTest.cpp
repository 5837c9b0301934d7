// Photos from the design strip onto a page, and page switches through the navigator's pictures.
#include "FormFixture.h"
#include "PageNavigator.h"
#include "PageRenderer.h"
#include "PaintBox.h"
#include "Unit4.h"
#include <QLabel>
#include <QMouseEvent>
#include <QTableWidget>

using namespace qv;
using namespace qv::test;

namespace {

void sendClick(QWidget* w, QPoint at)
{
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, at, w->mapToGlobal(at), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }
}

struct Placed {
    int kind, x, y, pool;
    bool operator==(const Placed&) const = default;
};

QVector<Placed> placedOf(const TItemList& items)
{
    QVector<Placed> out;
    for (int i = 1; i < items.size(); ++i)
        out.push_back({items[i].kind, items[i].centerX, items[i].centerY, int(items[i].poolIndex)});
    return out;
}

bool hasNonWhite(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) != Qt::white)
                return true;
    return false;
}

} // namespace

TEST_F(FormTest, DroppedPhotosStayOnTheirPageAcrossNavigatorSwitches)
{
    TForm1& f = makeForm();
    int toolResets = 0;
    f.state.window.returnToSelectTool = [&] { ++toolResets; };
    f.state.print.clearPaperName = [] {};
    for (const char* name : {"Canon_40D.jpg", "Fujifilm_FinePix_E500.jpg"})
        ASSERT_TRUE(f.Form2->FileExtSub(QStringLiteral(QV_SOURCE_DIR "/tests/data/photos/") + name, 0));
    EXPECT_EQ(f.DG->rowCount(), 2);

    f.state.window.rebuildNavigator();
    ASSERT_EQ(f.Form2->currentPage, 0);
    auto marked = [&](const char* label) {
        return find<QLabel>(label)->palette().color(QPalette::Window) == QColor(0, 0, 255);
    };
    EXPECT_TRUE(marked("Label10"));
    EXPECT_EQ(find<QLabel>("Label10")->text(), QStringLiteral(" 表紙 "));

    auto* page3 = find<TNavPicture>("Image4");
    sendClick(page3, QPoint(10, 10)); // left half: page 4
    ASSERT_EQ(f.Form2->currentPage, 3);
    EXPECT_EQ(f.state.editSide, 1);
    EXPECT_TRUE(marked("Label14"));
    EXPECT_FALSE(marked("Label10"));

    f.PBMain->resize(632, 411);
    f.MPaint(kTargetEditor); // origin at 316, 205
    f.DG->setCurrentCell(0, 0);
    f.PBMainDragDrop(QPoint(200, 150));
    f.DG->setCurrentCell(1, 0);
    f.PBMainDragDrop(QPoint(250, 260));
    const QVector<Placed> dropped = {{kKindImage, -534, -253, 0}, {kKindImage, -304, 253, 1}};
    EXPECT_EQ(placedOf(f.Form2->items), dropped);
    EXPECT_TRUE(f.state.modified);
    EXPECT_TRUE(hasNonWhite(page3->canvas)) << "the page's thumbnail shows its photos";

    sendClick(find<TNavPicture>("Image6"), QPoint(40, 10));
    ASSERT_EQ(f.Form2->currentPage, 5);
    EXPECT_TRUE(placedOf(f.Form2->items).isEmpty());
    sendClick(page3, QPoint(10, 10));
    ASSERT_EQ(f.Form2->currentPage, 3);
    EXPECT_EQ(placedOf(f.Form2->items), dropped);
    EXPECT_EQ(f.state.cache.imageCount(), 2);

    ItemFileReader reader;
    ASSERT_TRUE(reader.open(work() + "3/" + kItemFileName));
    QVector<Placed> stored;
    for (int k = 0; k < reader.count(); ++k) {
        TItemStatus it;
        reader.readRecord(it);
        stored.push_back({it.kind, it.centerX, it.centerY, int(it.poolIndex)});
    }
    EXPECT_EQ(stored, dropped);

    // A click on a strip row puts its photo at the default place of the edited (left) page;
    // the further ones go 40 units right and down, until the side holds 8 photos.
    const int resetsBefore = toolResets;
    sendClick(f.DG->viewport(), QPoint(10, 98 + 10));
    ASSERT_EQ(f.Form2->itemCount(), 3);
    EXPECT_EQ(f.Form2->items[3].centerX, -(1480 - 130) / 2);
    EXPECT_EQ(f.Form2->items[3].centerY, -70);
    EXPECT_GT(toolResets, resetsBefore);
    for (int k = 0; k < 5; ++k)
        sendClick(f.DG->viewport(), QPoint(10, 10));
    EXPECT_EQ(f.Form2->countImages(), 8);
    EXPECT_EQ(f.Form2->items[8].centerX, -(1480 - 130) / 2 + 5 * 40);
    EXPECT_TRUE(script.messages.isEmpty());
    f.PBMainDragDrop(QPoint(200, 150));
    EXPECT_EQ(f.Form2->countImages(), 8);
    EXPECT_EQ(script.messages, QStringList{"message: 最大数を超えました"});
}

TEST_F(FormTest, ScreenReadersFindTheCanvasPictureButtonsStripPhotosAndThumbnails)
{
    TForm1& f = makeForm();
    f.state.window.rebuildNavigator();
    const std::pair<const char*, const char*> controls[] = {
        {"PBMain", "ページ編集画面"}, {"printLabel", "印刷"}, {"initLabel", "プリンタの設定"}, {"photoAdd", "写真追加"}};
    for (auto [object, name] : controls)
        EXPECT_EQ(find(object)->accessibleName(), QString::fromUtf8(name)) << object;
    ASSERT_TRUE(f.Form2->FileExtSub(QStringLiteral(QV_SOURCE_DIR "/tests/data/photos/Canon_40D.jpg"), 0));
    EXPECT_EQ(f.DG->model()->index(0, 0).data(Qt::AccessibleTextRole), QStringLiteral("写真 1"));
    // Thumbnails are named by the page numbers under them.
    const std::pair<const char*, const char*> thumbnails[] = {
        {"Image1", "表紙"}, {"Image2", "1"}, {"Image4", "4 5"}, {"Image16", "28 29"}, {"Image17", "30"}};
    for (auto [object, name] : thumbnails)
        EXPECT_EQ(find("Frame4")->findChild<QWidget*>(object)->accessibleName(), QString::fromUtf8(name)) << object;
}

TEST_F(FormTest, NavigatorClicksMadeWhileAPageLoadsAreDroppedNotCarriedOutAfterwards)
{
    TForm1& f = makeForm();
    f.state.print.clearPaperName = [] {};
    f.state.window.rebuildNavigator();
    PageNavigator::Host& host = f.pageNavigator()->host;
    auto* page5 = find<TNavPicture>("Image6");
    // While page 3 loads (the event loop is held by the switch), the user clicks page 5: the
    // click waits in the event queue as the windowing system delivers it.
    const auto draw = host.drawThumbnail;
    bool clicked = false;
    host.drawThumbnail = [&] {
        draw();
        if (std::exchange(clicked, true))
            return;
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(page5, new QMouseEvent(t, QPointF(40, 10), page5->mapToGlobal(QPointF(40, 10)),
                                                               Qt::LeftButton,
                                                               t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                               Qt::NoModifier));
    };
    sendClick(find<TNavPicture>("Image4"), QPoint(10, 10));
    ASSERT_TRUE(clicked);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Form2->currentPage, 3) << "a click made while page 3 loaded opened page 5 afterwards";
    EXPECT_TRUE(f.isEnabled());

    sendClick(page5, QPoint(40, 10)); // once the switch is over, clicks work as ever
    EXPECT_EQ(f.Form2->currentPage, 5);
}

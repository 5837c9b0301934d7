#include "Numbers.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "Unit2.h"
#include <gtest/gtest.h>

using namespace qv;

namespace {

// A document on a Palm spread with a pool whose files are generated bitmaps.
class ItemOps : public testing::Test {
protected:
    TMainState st;
    TForm2 doc{st, test::baseDir()};
    int stripRow = 0;
    QVector<QSize> poolSizes;

    void SetUp() override
    {
        st.window.photoStripRow = [this] { return stripRow; };
        doc.loadPoolImage = [this](int r) { return colored(poolSizes.at(r), r); };
        doc.loadPoolThumb = [this](int r) { return colored(poolSizes.at(r) / 4, r); };
        doc.currentPage = 3;
        doc.setQorType();
    }

    static TBigBitmap colored(QSize s, int r)
    {
        TBigBitmap b(s.width(), s.height(), 24);
        b.image().fill(QColor(10 * r, 20, 30));
        return b;
    }

    int addPhoto(QSize size, bool picture = false)
    {
        st.pool.append({picture ? kPoolPictureName : kPoolPhotoName, picture, size.width(), size.height()});
        poolSizes.append(size);
        stripRow = int(st.pool.size()) - 1;
        doc.addImg(0, 0);
        return doc.itemCount();
    }

    QStringList order() const
    {
        QStringList names;
        for (int i = 1; i < doc.items.size(); ++i)
            names << doc.items[i].text;
        return names;
    }

    void makeItems(int n)
    {
        doc.items.resize(1);
        for (int i = 1; i <= n; ++i) {
            TItemStatus it;
            it.kind = kKindRect;
            it.text = QString::number(i);
            it.selected = false;
            doc.items.append(it);
        }
    }
};

} // namespace

TEST_F(ItemOps, PhotoOnAPageIsSizedFromPageWidth)
{
    addPhoto({400, 300});
    const TItemStatus& it = doc.items[1];
    EXPECT_EQ(it.kind, kKindImage);
    EXPECT_EQ(it.width, 1036);
    EXPECT_EQ(it.height, 777);
    EXPECT_EQ(it.text, QStringLiteral("写真2"));
    EXPECT_EQ(it.keyColor, 0x0200FF00u);
    EXPECT_EQ(it.color, 0xFFFFFFu);
    EXPECT_EQ(it.imageSlot, 1);
    EXPECT_EQ(it.centerX, 0);
    EXPECT_EQ(it.centerY, -70);
    EXPECT_EQ(st.cache.imageCount(), 1);
    EXPECT_EQ(st.cache.THimageCount(), 1);

    addPhoto({300, 400}); // portrait: height is 0.7 of the page width
    EXPECT_EQ(doc.items[2].height, 1036);
    EXPECT_EQ(doc.items[2].width, 777);
}

TEST_F(ItemOps, RepeatedPlacementMovesBy40)
{
    addPhoto({400, 300});
    addPhoto({400, 300});
    addPhoto({400, 300});
    EXPECT_EQ(doc.items[2].centerX, doc.items[1].centerX + 40);
    EXPECT_EQ(doc.items[2].centerY, doc.items[1].centerY + 40);
    EXPECT_EQ(doc.items[3].centerX, doc.items[1].centerX + 80);
    EXPECT_EQ(doc.items[3].centerY, doc.items[1].centerY + 80);
    EXPECT_EQ(doc.items[3].imageSlot, 3);
}

TEST_F(ItemOps, DefaultPlacePerSideAndPage)
{
    st.editSide = 2;
    addPhoto({400, 300});
    EXPECT_EQ(doc.items[1].centerX, (1480 - 130) / 2);
    st.editSide = 1;
    addPhoto({400, 300});
    EXPECT_EQ(doc.items[2].centerX, -675);
    st.editSide = 0;
    doc.currentPage = 1;
    addPhoto({400, 300});
    EXPECT_EQ(doc.items[3].centerX, 70);
    doc.currentPage = 16;
    addPhoto({400, 300});
    EXPECT_EQ(doc.items[4].centerX, -70);

    // A drop point converts through the zoom factor from the page origin.
    st.originX = 300;
    st.originY = 200;
    doc.currentPage = 4;
    stripRow = 0;
    doc.addImg(300 + 46, 200 - 23); // zoom 5: 4.6 units per pixel
    EXPECT_EQ(doc.items[5].centerX, nearest(46 * 4.6));
    EXPECT_EQ(doc.items[5].centerY, nearest(-23 * 4.6));
}

TEST_F(ItemOps, CoverAndPictureSizes)
{
    doc.currentPage = 0;
    doc.setQorType();
    addPhoto({400, 300}); // landscape, not square: 1490 wide
    EXPECT_EQ(doc.items[1].width, 1490);
    EXPECT_EQ(doc.items[1].height, 1118); // 1117.5 to even
    EXPECT_EQ(doc.items[1].centerX, 130);
    EXPECT_EQ(doc.items[1].centerY, 1118 / 2 - 690);
    addPhoto({100, 100}); // nearly square: 0.4 of the page width
    EXPECT_EQ(doc.items[2].width, 592);
    EXPECT_EQ(doc.items[2].centerX, 200);
    EXPECT_EQ(doc.items[2].centerY, -70);
    addPhoto({900, 300}); // very wide: y offset -70
    EXPECT_EQ(doc.items[3].centerY, -70);
    addPhoto({300, 600}); // portrait: 0.8 of the page width high
    EXPECT_EQ(doc.items[4].height, 1184);
    EXPECT_EQ(doc.items[4].width, 592);

    doc.currentPage = 2;
    addPhoto({601, 401}, true);
    EXPECT_EQ(doc.items[5].width, 300);
    EXPECT_EQ(doc.items[5].height, 200);
    EXPECT_TRUE(doc.items[5].fromPicture);
    EXPECT_EQ(doc.items[5].text, QStringLiteral("画像6"));
}

TEST_F(ItemOps, UnreadablePoolFileUsesPlaceholderAndNoRowAddsNothing)
{
    doc.loadPoolThumb = [](int) { return TBigBitmap(); };
    addPhoto({400, 300});
    ASSERT_EQ(doc.itemCount(), 1);
    EXPECT_EQ(st.cache.cacheWidth(1), doc.placeholder.width());
    EXPECT_EQ(st.cache.imageDrawing(1, true).width(), doc.placeholder.width());
    stripRow = 5;
    doc.addImg(0, 0);
    stripRow = -1;
    doc.addImg(0, 0);
    EXPECT_EQ(doc.itemCount(), 1);
}

TEST_F(ItemOps, TextPlacement)
{
    doc.textWidthPx = [](const QString&) { return 46; };
    doc.addText(0, 0, QString());
    EXPECT_EQ(doc.items[1].text, QStringLiteral("新しい文字"));
    EXPECT_EQ(doc.items[1].width, nearest(46 * 4.6));
    EXPECT_EQ(doc.items[1].centerY, 500);
    EXPECT_EQ(doc.items[1].fontName, QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(doc.items[1].fontSize, 35);
    EXPECT_EQ(doc.items[1].lineSpacing, 53);
    EXPECT_EQ(doc.items[1].height, 35);

    doc.addText(100, 100, QStringLiteral("新しい文字"));
    doc.addText(100, 100, QStringLiteral(" "));
    EXPECT_EQ(doc.items[3].text, QStringLiteral("新しい文字"));
    EXPECT_EQ(doc.items[3].centerX, doc.items[2].centerX);
    EXPECT_EQ(doc.items[3].centerY, doc.items[2].centerY + 60);

    doc.addText(0, 0, QStringLiteral("一行目\r\n二行目"));
    EXPECT_EQ(doc.items[4].text, QStringLiteral("一行目"));

    st.editSide = 2;
    doc.addText(0, 0, QStringLiteral("x"));
    EXPECT_EQ(doc.items[5].centerX, 675);
    doc.currentPage = 0;
    doc.addText(0, 0, QStringLiteral("x"));
    EXPECT_EQ(doc.items[6].centerX, 180);
    EXPECT_EQ(doc.undoLevel, 1);
    EXPECT_TRUE(st.modified);
}

TEST_F(ItemOps, ShapesAndRememberedClickSize)
{
    doc.zoomLevel = 2; // 10 units per pixel
    doc.addRect(QRect(QPoint(50, 40), QPoint(10, 20)), true);
    const TItemStatus& r = doc.items[1];
    EXPECT_EQ(r.kind, kKindRect);
    EXPECT_EQ(r.width, 400);
    EXPECT_EQ(r.height, 200);
    EXPECT_EQ(r.centerX, 300);
    EXPECT_EQ(r.centerY, 300);
    EXPECT_EQ(r.text, QStringLiteral("図形2"));
    EXPECT_EQ(doc.items[0].width, 40) << "the scratch element keeps the pixel size";

    doc.addRect(QRect(QPoint(5, 5), QPoint(5, 5)), false); // a click: the last size again
    EXPECT_EQ(doc.items[2].kind, kKindEllipse);
    EXPECT_EQ(doc.items[2].width, 400);
    EXPECT_EQ(doc.items[2].height, 200);

    doc.addRect(QRect(QPoint(0, 0), QPoint(30, 0)), true); // flat drag: at least 2 pixels high
    EXPECT_EQ(doc.items[3].height, 20);
    doc.addRect(QRect(QPoint(0, 0), QPoint(1, 30)), true); // thin drag: 2 pixels wide
    EXPECT_EQ(doc.items[4].width, 20);
    EXPECT_EQ(doc.items[4].height, 300);
}

TEST_F(ItemOps, PageSideLimits)
{
    st.editSide = 2;
    for (int i = 0; i < 8; ++i)
        addPhoto({40, 30});
    EXPECT_TRUE(doc.CountPageImg(8)) << "the right page is full";
    st.editSide = 1;
    EXPECT_FALSE(doc.CountPageImg(8)) << "the left page still takes images";
    for (int i = 0; i < 8; ++i)
        addPhoto({40, 30});
    st.editSide = 0;
    EXPECT_TRUE(doc.CountPageImg(8)) << "16 images fill the folder";
    st.editSide = 2;
    EXPECT_TRUE(doc.CountPageImg(8));
    EXPECT_FALSE(doc.CountPageITEM(20));

    doc.currentPage = 0; // the cover counts every item against the limit itself
    makeItems(19);
    EXPECT_FALSE(doc.CountPageITEM(20));
    makeItems(20);
    EXPECT_TRUE(doc.CountPageITEM(20));
}

TEST_F(ItemOps, CopyPastePaste)
{
    doc.textWidthPx = [](const QString&) { return 10; };
    doc.addText(10, 10, QStringLiteral("a"));
    doc.addRect(QRect(0, 0, 20, 20), true);
    addPhoto({40, 30});
    doc.allSelect();
    doc.setCopyItems();
    doc.copyItems();
    ASSERT_EQ(doc.itemCount(), 5);
    EXPECT_EQ(doc.items[4].text, doc.items[1].text);
    EXPECT_EQ(doc.items[4].centerX, doc.items[1].centerX + 50);
    EXPECT_EQ(doc.items[4].centerY, doc.items[1].centerY + 50);
    EXPECT_FALSE(doc.items[4].selected);
    EXPECT_EQ(doc.items[5].kind, kKindRect);
    EXPECT_TRUE(doc.items[3].copyMark) << "images keep their mark and are never duplicated";
    doc.copyItems();
    EXPECT_EQ(doc.itemCount(), 5);
}

TEST_F(ItemOps, DeleteRenumbersSlots)
{
    addPhoto({40, 30});
    addPhoto({41, 30});
    addPhoto({42, 30});
    doc.notSelect();
    doc.items[2].selected = true;
    doc.deleteItem();
    ASSERT_EQ(doc.itemCount(), 2);
    EXPECT_EQ(doc.items[1].imageSlot, 1);
    EXPECT_EQ(doc.items[2].imageSlot, 2);
    EXPECT_EQ(st.cache.cacheWidth(2), 42);
    EXPECT_EQ(st.cache.imageCount(), 2);
    EXPECT_FALSE(doc.anySelected);
    EXPECT_EQ(doc.undoLevel, 2);
}

TEST_F(ItemOps, Restacking)
{
    makeItems(4);
    doc.items[1].selected = doc.items[3].selected = true;
    doc.LFItem();
    EXPECT_EQ(order(), (QStringList{"2", "4", "1", "3"}));

    makeItems(4);
    doc.items[2].selected = doc.items[4].selected = true;
    doc.LBItem();
    EXPECT_EQ(order(), (QStringList{"2", "4", "1", "3"}));

    makeItems(5); // a selected run already at the bottom stays
    doc.items[1].selected = doc.items[4].selected = doc.items[5].selected = true;
    doc.LBItem();
    EXPECT_EQ(order(), (QStringList{"1", "4", "5", "2", "3"}));
}

TEST_F(ItemOps, WritingDirectionAndBounds)
{
    makeItems(2);
    doc.items[1].kind = kKindText;
    doc.items[1].fontName = kDefaultFontName;
    doc.items[1].width = 300;
    doc.items[1].height = 35;
    doc.items[1].selected = true;
    doc.FontTateYoko(false, true);
    EXPECT_EQ(doc.items[1].fontName, "@" + kDefaultFontName);
    EXPECT_EQ(doc.items[1].width, 35);
    doc.FontTateYoko(false, true); // already vertical: unchanged
    EXPECT_EQ(doc.items[1].width, 35);
    doc.FontTateYoko(true, false);
    EXPECT_EQ(doc.items[1].fontName, kDefaultFontName);
    EXPECT_EQ(doc.items[1].width, 300);

    doc.notSelect();
    const ItemRect none = doc.SelectMaxRect();
    EXPECT_EQ(none.left, 2147483647);
    EXPECT_EQ(none.bottom, -2147483647);
    doc.items[1].selected = doc.items[2].selected = true;
    doc.items[1].centerX = 0;
    doc.items[1].centerY = 0;
    doc.items[2].centerX = 101;
    doc.items[2].centerY = 0;
    doc.items[2].width = 3;
    doc.items[2].height = 5;
    const ItemRect r = doc.SelectMaxRect();
    EXPECT_EQ(r.left, -150);
    EXPECT_EQ(r.top, -18); // -17.5 to even
    EXPECT_EQ(r.right, 150);
    EXPECT_EQ(r.bottom, 18);
}

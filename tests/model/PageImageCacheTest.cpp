#include "PageImageCache.h"
#include <gtest/gtest.h>

using namespace qv;

namespace {
TBigBitmap sized(int w) { return TBigBitmap(w, 10, 24); }
}

TEST(PageImageCache, CountsStopAtFirstGap)
{
    TPageImageCache c;
    EXPECT_EQ(c.imageCount(), 0);
    c.setImage(1, sized(1));
    c.setImage(2, sized(2));
    c.setImage(4, sized(4));
    EXPECT_EQ(c.imageCount(), 2);
    c.addImage(sized(3)); // goes to the first gap
    EXPECT_EQ(c.cacheWidth(3), 3);
    EXPECT_EQ(c.imageCount(), 4);
    EXPECT_EQ(c.THimageCount(), 0);
}

TEST(PageImageCache, SlotLookupFallsBackToSlotOne)
{
    TPageImageCache c;
    for (int k = 1; k <= 16; ++k) {
        c.addImage(sized(k));
        c.THaddImage(sized(100 + k));
    }
    c.addImage(sized(99)); // all 16 filled: nothing happens
    EXPECT_EQ(c.cacheWidth(16), 16);
    EXPECT_EQ(c.imageDrawing(0, false).width(), 1);
    EXPECT_EQ(c.imageDrawing(17, false).width(), 1);
    EXPECT_EQ(c.imageDrawing(16, true).width(), 116);
    EXPECT_EQ(c.imageDrawing(1, true).width(), 101);
    EXPECT_EQ(c.imageDrawing(0, true).width(), 1) << "a bad thumbnail request gives full slot 1";
    EXPECT_EQ(c.cacheHeight(-3), 10);
    c.delImage(17); // out of range: nothing
    EXPECT_EQ(c.imageCount(), 16);
}

TEST(PageImageCache, PopPushMovesLaterSlotsDown)
{
    TPageImageCache c;
    for (int k = 1; k <= 16; ++k) {
        c.addImage(sized(k));
        c.THaddImage(sized(100 + k));
    }
    c.imgPopPush(2);
    EXPECT_EQ(c.cacheWidth(2), 3);
    EXPECT_EQ(c.imageDrawing(2, true).width(), 103);
    EXPECT_EQ(c.cacheWidth(15), 16);
    EXPECT_FALSE(c.hasImage(16));
    EXPECT_FALSE(c.hasThumb(16));
    EXPECT_EQ(c.imageCount(), 15);
}

TEST(PageImageCache, ClearKeepsOnlyUnsharedPicturesForReuse)
{
    TPageImageCache c;
    c.setImage(1, sized(4));
    c.setThumb(1, sized(5));
    const TBigBitmap held = sized(4);
    c.setImage(2, held); // still held here: its memory must never be read into
    c.clear();
    EXPECT_EQ(c.imageCount() + c.THimageCount(), 0);
    EXPECT_EQ(c.takeSpare(QSize(5, 10)).width(), 5);
    EXPECT_EQ(c.takeSpare(QSize(4, 10)).width(), 4);
    EXPECT_TRUE(c.takeSpare(QSize(4, 10)).isNull()) << "the shared picture is no spare";
    EXPECT_TRUE(c.takeSpare(QSize(5, 10)).isNull()) << "a spare is handed out once";
    c.setImage(1, sized(6));
    c.clear();
    c.dropSpares();
    EXPECT_TRUE(c.takeSpare(QSize(6, 10)).isNull());
}

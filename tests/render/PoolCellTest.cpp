// Cells of the pool grids: the picture fitted by its aspect, caption, selection frames.
#include "BmpCodec.h"
#include "PoolBrowser.h"
#include "PoolCell.h"
#include "TestEnv.h"
#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

using namespace qv;

TEST(PoolCell, PictureRectangleByAspect)
{
    const QRect cell(0, 0, 89, 98);
    EXPECT_EQ(poolCellPictureRect(cell, 400, 300), QRect(QPoint(5, 19), QPoint(83, 78)));  // 5,19 to 84,79
    EXPECT_EQ(poolCellPictureRect(cell, 300, 400), QRect(QPoint(15, 5), QPoint(73, 82)));  // 15,5 to 74,83
    EXPECT_EQ(poolCellPictureRect(cell.translated(0, 98), 400, 300).top(), 98 + 19);
}

TEST(PoolCell, ThumbnailCaptionAndFrames)
{
    const QString img = test::baseDir() + "img/";
    QDir().mkpath(img);
    TBigBitmap red(40, 30, 24);
    red.image().fill(Qt::red);
    ASSERT_TRUE(writeBmpFile(red, img + "t1_.bmp"));
    const TInfos photo{kPoolPhotoName, false, 400, 300};

    auto draw = [&](int n, bool selected) {
        QImage cell(89, 98, QImage::Format_RGB32);
        cell.fill(Qt::black);
        QPainter p(&cell);
        drawPoolCell(p, cell.rect(), &photo, img, n, selected);
        return cell;
    };
    const QImage shown = draw(1, true);
    EXPECT_EQ(shown.pixelColor(5, 19), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(83, 78), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(84, 50), QColor(Qt::white));
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(0, 0, 255));
    EXPECT_EQ(shown.pixelColor(1, 1), QColor(0, 0, 255));
    EXPECT_EQ(shown.pixelColor(2, 2), QColor(Qt::white));
    bool captionInk = false;
    for (int y = 85; y < 97; ++y)
        for (int x = 5; x < 40; ++x)
            captionInk = captionInk || shown.pixelColor(x, y) != Qt::white;
    EXPECT_TRUE(captionInk);

    // Entry 0 has no thumbnail file: the cell stays white, without caption or frames.
    const QImage empty = draw(0, false);
    for (QPoint at : {QPoint(0, 0), QPoint(40, 50), QPoint(10, 90)})
        EXPECT_EQ(empty.pixelColor(at), QColor(Qt::white)) << at.x() << "," << at.y();
}

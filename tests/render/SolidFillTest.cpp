// Direct solid fills must leave exactly the pixels QPainter::fillRect leaves, or hand the
// work back to the painter.
#include "SolidFill.h"
#include <QPainter>
#include <gtest/gtest.h>

using namespace qv;

namespace {

QImage noisy(QImage::Format format)
{
    QImage image(37, 23, format);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 7, y * 11, (x * y) & 0xFF));
    return image;
}

TEST(SolidFill, SamePixelsAsPainterIncludingClippedAndThinRects)
{
    const QRect rects[] = {{3, 4, 10, 6},  {5, 0, 1, 23},   {0, 9, 37, 1},   {-5, -3, 12, 9},
                           {30, 18, 20, 20}, {-10, 5, 100, 2}, {40, 2, 5, 5}, {4, 4, 0, 7}};
    const QColor colour(166, 202, 240);
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_ARGB32}) {
        for (const QRect& rect : rects) {
            QImage expected = noisy(format);
            QPainter(&expected).fillRect(rect, colour);
            QImage actual = noisy(format);
            ASSERT_TRUE(fillSolid(actual, rect, colour));
            EXPECT_EQ(actual, expected) << format << " " << rect.x() << "," << rect.y() << " " << rect.width()
                                        << "x" << rect.height();
        }
    }
}

TEST(SolidFill, LeavesOtherFormatsAndTranslucentColoursToThePainter)
{
    QImage rgb888 = noisy(QImage::Format_RGB888);
    const QImage before888 = rgb888;
    EXPECT_FALSE(fillSolid(rgb888, QRect(1, 1, 5, 5), Qt::white));
    EXPECT_EQ(rgb888, before888);

    QImage argb = noisy(QImage::Format_ARGB32_Premultiplied);
    const QImage beforeArgb = argb;
    EXPECT_FALSE(fillSolid(argb, QRect(1, 1, 5, 5), QColor(10, 20, 30, 128)));
    EXPECT_EQ(argb, beforeArgb);

    // The fallback still paints, through the painter.
    QImage expected = noisy(QImage::Format_RGB888);
    QPainter(&expected).fillRect(QRect(2, 3, 4, 5), Qt::red);
    QImage viaFallback = noisy(QImage::Format_RGB888);
    {
        QPainter p(&viaFallback);
        fillRectFast(viaFallback, p, QRect(2, 3, 4, 5), Qt::red);
    }
    EXPECT_EQ(viaFallback, expected);
}

} // namespace

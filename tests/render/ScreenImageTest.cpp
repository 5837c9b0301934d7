// The screen copy of a slot bitmap has exactly the pixels of Qt's own conversion.
#include "ImageOps.h"
#include <gtest/gtest.h>

using namespace qv;

TEST(ScreenImage, SamePixelsAsQtConversion)
{
    for (int bits : {24, 32}) {
        TBigBitmap b(7, 5, bits); // 7 pixels: 24-bit rows carry padding
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                b.setPixel(x, y, uint32_t(x * 0x2A1F37 + y * 0x10305 + 0x0A0B0C) & 0xFFFFFF);
        const QImage mine = screenImage(b);
        EXPECT_EQ(mine.format(), QImage::Format_RGB32);
        EXPECT_EQ(mine, b.image().convertToFormat(QImage::Format_RGB32)) << bits;
        EXPECT_EQ(mine.pixel(3, 2), 0xFF000000u | b.pixel(3, 2)) << bits;
    }
}

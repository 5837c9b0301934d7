// Slot pictures written and read without the codec's row copies: the same bytes and pixels as
// the BMP codec, and the codec's answer for every file of another form.
#include "BmpCodec.h"
#include "SlotFiles.h"
#include "TestEnv.h"
#include <QtEndian>
#include <gtest/gtest.h>

using namespace qv;

namespace {
TBigBitmap patterned(int w, int h)
{
    TBigBitmap b(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * 3; ++x)
            b.scanLine(y)[x] = uchar(x * 7 + y * 13);
    return b;
}
} // namespace

TEST(SlotFiles, SameBytesAndPixelsAsTheCodec)
{
    // Rows without padding, rows with padding (left to the codec), more rows than one gathered call takes.
    for (QSize size : {QSize(8, 3), QSize(5, 3), QSize(4, 1100), QSize(296, 222)}) {
        SCOPED_TRACE(size.width());
        const TBigBitmap b = patterned(size.width(), size.height());
        const QString path = test::baseDir() + "1.bmp";
        ASSERT_TRUE(writeSlotBitmap(b, path));
        EXPECT_EQ(test::readFile(path), encodeBmp24(b));
        const ImageLoadResult r = readSlotBitmap(path);
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        EXPECT_TRUE(r.bitmap == b);
    }
}

TEST(SlotFiles, OtherFormsAndDamageGoToTheCodec)
{
    QByteArray plain = encodeBmp24(patterned(8, 6));
    QByteArray topDown = plain;
    qToLittleEndian<qint32>(-6, topDown.data() + 22);
    const QByteArray cases[] = {topDown, plain.left(plain.size() - 10), plain.left(30), QByteArray("BM")};
    int k = 0;
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(k);
        const QString path = test::baseDir() + QString::number(k++) + ".bmp";
        test::writeFile(path, bytes);
        const ImageLoadResult mine = readSlotBitmap(path), codec = readBmpFile(path);
        EXPECT_EQ(mine.ok(), codec.ok());
        EXPECT_TRUE(mine.bitmap == codec.bitmap);
    }
    EXPECT_FALSE(readSlotBitmap(test::baseDir() + "missing.bmp").ok());
}

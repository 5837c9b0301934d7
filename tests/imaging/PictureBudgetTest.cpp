// The one gate for picture memory: every decoder, filter and container refuses what the budget
// cannot hold, with an error and without taking the memory.
#include "BmpCodec.h"
#include "JpegCodec.h"
#include "Resize.h"
#include "TBigBitmap.h"
#include "TestEnv.h"
#include <QDir>
#include <gtest/gtest.h>

using namespace qv;
using qv::test::testData;

namespace {

struct Budget {
    explicit Budget(qint64 bytes) { setPictureByteBudget(bytes); }
    ~Budget() { setPictureByteBudget(0); }
};

QStringList filesIn(const QString& folder)
{
    QStringList out;
    const QDir dir(testData(folder));
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
        out << dir.filePath(name);
    return out;
}

} // namespace

TEST(PictureBudget, GateCountsFourBytesAPixelWithoutOverflow)
{
    EXPECT_TRUE(pictureFits(20000, 20000));
    EXPECT_FALSE(pictureFits(20000, 20001));
    EXPECT_FALSE(pictureFits(0, 10));
    EXPECT_FALSE(pictureFits(10, -1));
    EXPECT_FALSE(pictureFits(qint64(1) << 40, qint64(1) << 40));
    const Budget small(4000);
    EXPECT_TRUE(pictureFits(1000, 1));
    EXPECT_FALSE(pictureFits(1001, 1));
    EXPECT_TRUE(TBigBitmap(1001, 1, 24).isNull());
}

// The file tables at the normal budget and at one below every picture's size (BMP Suite's
// pictures are 127 x 64, the photos larger at any scale): the same files, refused cleanly.
TEST(PictureBudget, FileTablesAtNormalAndSmallBudgets)
{
    for (const qint64 bytes : {qint64(0), qint64(4 * 4000)}) {
        const Budget budget(bytes);
        SCOPED_TRACE(bytes);
        for (const QString& f : filesIn("bmp/good")) {
            const ImageLoadResult r = readBmpFile(f);
            EXPECT_EQ(r.ok(), bytes == 0) << f.toStdString();
            EXPECT_EQ(r.error.isEmpty(), bytes == 0) << f.toStdString();
        }
        for (const QString& f : filesIn("photos")) {
            const ImageLoadResult r = decodeJpegFile(f, 1, 32);
            EXPECT_EQ(r.ok(), bytes == 0) << f.toStdString();
            EXPECT_EQ(r.error.isEmpty(), bytes == 0) << f.toStdString();
        }
        for (const QString& folder : {QStringLiteral("bmp/questionable"), QStringLiteral("bmp/bad")})
            for (const QString& f : filesIn(folder))
                EXPECT_FALSE(bytes != 0 && readBmpFile(f).ok()) << f.toStdString();
    }
}

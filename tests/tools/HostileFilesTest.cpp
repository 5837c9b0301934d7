// Small files that claim huge pictures, made here, met by the real programs as a user meets
// them: imported, opened in a book, browsed. Each is refused with the import's message or kept
// within the picture budget; peak memory and processor time come from /usr/bin/time -v.
#include "ChildProcess.h"
#include "ImgListModel.h"
#include "PictureBudget.h"
#include "PictureTestFiles.h"
#include "TestEnv.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <cstdio>

using namespace qv;
using namespace qv::test;

namespace {

const QString kUnreadable = QStringLiteral("dialog: message: 画像が読み込めませんでした。ファイル名=");
constexpr qint64 kRefusedPeakKb = 200 * 1024; // the program itself and a refusal, far below the budget
constexpr double kCpuSeconds = 5;             // the slowest of them took a minute before

QString built(const char* relative) { return QCoreApplication::applicationDirPath() + "/../" + relative; }

struct Bomb {
    const char* name;
    QByteArray bytes;
};

// The files: 282 bytes claiming 20000 x 20000 progressive, 11 KB with 1,000 scans, a
// forged header of a few bytes, a 3.2 MB RLE BMP of 400 megapixels, and a forged 60000 x 30000.
QVector<Bomb> bombs()
{
    return {{"progressive-20000.jpg", forgedJpeg(20000, 20000, true)},
            {"scans-1000.jpg", manyScansJpeg(20000, 20000, 1000)},
            {"forged-30000.jpg", forgedJpeg(30000, 30000, false)},
            {"forged-60000x30000.jpg", forgedJpeg(60000, 30000, false)},
            {"sequential-20000.jpg", forgedJpeg(20000, 20000, false)},
            {"runs-20000.bmp", runsBmp(20000, 20000)}};
}

QString writeBomb(const QString& folder, const Bomb& b)
{
    const QString path = folder + b.name;
    writeFile(path, b.bytes);
    return path;
}

// The figures go to the test's output: docs/RELIABILITY.md quotes them.
void printFigures(const QString& what, const MeasuredRun& r)
{
    std::printf("measured: %s: exit %d, %lld MB peak, %.2f s CPU\n", qPrintable(what), r.exitCode, r.peakKb / 1024, r.cpuSeconds);
}

std::string report(const MeasuredRun& r)
{
    return QStringLiteral("exit %1, signal %2, %3 MB peak, %4 s CPU%5\n%6")
        .arg(r.exitCode).arg(r.signal).arg(r.peakKb / 1024).arg(r.cpuSeconds).arg(r.timedOut ? ", timed out" : "")
        .arg(r.err.right(600)).toStdString();
}

} // namespace

// Writes the bombs into a folder for the fuzz targets' regressions (scripts/fuzz-bombs); the
// BMP at a size the fuzzers read whole.
QV_TEST_CHILD(WriteBombs)
{
    const QString folder = args.value(0) + QLatin1Char('/');
    for (const Bomb& b : bombs())
        if (!QString(b.name).endsWith(".bmp"))
            writeBomb(folder, b);
    writeBomb(folder, {"runs-8000.bmp", runsBmp(8000, 8000)});
    return 0;
}

TEST(HostileFiles, EachBombImportedIsRefusedWithTheImportsMessageOrBounded)
{
    const QString folder = baseDir() + "bombs/";
    for (const Bomb& b : bombs()) {
        const QString path = writeBomb(folder, b), work = baseDir() + "work-" + b.name;
        const MeasuredRun r = runMeasured(built("tools/qorvale-tool"), {"import", "--work", work, "--type", "Palm", path});
        SCOPED_TRACE(b.name);
        ASSERT_TRUE(r.started);
        printFigures(QStringLiteral("import %1 (%2 bytes)").arg(b.name).arg(b.bytes.size()), r);
        EXPECT_FALSE(r.err.contains("エラーコード")) << "a save failure reported for a file that cannot be read\n" << report(r);
        EXPECT_LE(r.cpuSeconds, kCpuSeconds) << report(r);
        EXPECT_LE(r.peakKb * 1024, pictureByteBudget()) << report(r);
        if (QString(b.name).endsWith(".bmp") && r.exitCode == 0)
            continue; // 400 megapixels honestly described by its runs: taken, within the budget
        EXPECT_EQ(r.exitCode, 2) << report(r);
        EXPECT_TRUE(r.err.contains(kUnreadable + path)) << report(r);
        EXPECT_LE(r.peakKb, kRefusedPeakKb) << report(r);
    }
}

TEST(HostileFiles, ABookWhosePoolCopyIsABombOpensWithTheMessage)
{
    const QString folder = baseDir() + "book/";
    writeBomb(folder + "img/", {"0_.jpg", forgedJpeg(20000, 20000, true)});
    const QString book = baseDir() + "bomb.qvb";
    const MeasuredRun pack = runMeasured(built("tools/qorvale-tool"), {"pack", folder, book, "--type", "Palm"});
    ASSERT_EQ(pack.exitCode, 0) << report(pack);
    EXPECT_LT(QFileInfo(book).size(), 16 << 10);

    const QString base = baseDir() + "base", runtime = baseDir() + "runtime";
    ASSERT_TRUE(QDir().mkpath(base) && QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const MeasuredRun r = runMeasured(built("app/qorvale"), {book}, 120000,
                                      {"QT_QPA_PLATFORM=offscreen", "QORVALE_BASE_DIR=" + base, "XDG_RUNTIME_DIR=" + runtime,
                                       "QORVALE_HEADLESS_DIALOGS=1", "QORVALE_PAUSE_SCALE=0", "QORVALE_QUIT_AFTER_MS=1500"});
    printFigures(QStringLiteral("open a %1-byte book").arg(QFileInfo(book).size()), r);
    EXPECT_TRUE(r.exitedCleanly()) << report(r);
    EXPECT_TRUE(r.err.contains(kUnreadable + base + "/qor_backup_editor/img/0_.jpg")) << "opened silently\n" << report(r);
    EXPECT_LE(r.peakKb, kRefusedPeakKb) << report(r);
    EXPECT_LE(r.cpuSeconds, kCpuSeconds) << report(r);
}

// The folder list of the photo browser over a folder: one line per row, its thumbnail state.
QV_TEST_CHILD(BrowseFolder)
{
    TImgListModel list;
    if (!list.setFolder(args.value(0)))
        return 2;
    list.requestThumbnails(0, list.rowCount() - 1, 0);
    list.waitForThumbnails();
    for (int r = 0; r < list.rowCount(); ++r)
        std::printf("%s %d\n", qPrintable(list.item(r).displayName), int(list.thumbState(r)));
    return 0;
}

TEST(HostileFiles, BrowsingAFolderOfBombsShowsThemBrokenAtOnce)
{
    const QString folder = baseDir() + "bombs/";
    QStringList expected;
    for (const Bomb& b : bombs()) {
        writeBomb(folder, b);
        expected << QStringLiteral("%1 %2").arg(b.name).arg(int(TImgListModel::ThumbBroken));
    }
    const MeasuredRun r = runMeasuredChild("BrowseFolder", {folder});
    printFigures(QStringLiteral("browse %1 bombs").arg(expected.size()), r);
    ASSERT_TRUE(r.exitedCleanly()) << report(r);
    QStringList rows = r.out.split('\n', Qt::SkipEmptyParts);
    rows.sort();
    expected.sort();
    EXPECT_EQ(rows, expected);
    EXPECT_LE(r.cpuSeconds, kCpuSeconds) << report(r);
    EXPECT_LE(r.peakKb, kRefusedPeakKb) << report(r);
}

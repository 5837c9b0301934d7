// The one road from a picture file to a bitmap: files are read, never mapped, so a photo cut
// short while it is read is no crash; what a read costs is checked before it is made.
#include "BmpCodec.h"
#include "ChildProcess.h"
#include "JpegCodec.h"
#include "PictureFile.h"
#include "PictureTestFiles.h"
#include "TestEnv.h"
#include "PictureBudget.h"
#include "ThumbQueue.h"
#include "Thumbnailer.h"
#include <QFile>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

using namespace qv;
using qv::test::baseDir;

namespace {

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Each reader of picture files, as the import, the pages and the folder list use them.
bool readOnce(const QString& reader, const QString& path)
{
    if (reader == QLatin1String("jpeg"))
        return decodeJpegFile(path, 1).ok();
    if (reader == QLatin1String("bmp"))
        return readBmpFile(path).ok();
    return makeThumbnail(path, reader == QLatin1String("thumbnail-jpeg"), 84).outcome == ThumbOutcome::Ready;
}

QByteArray noiseJpeg(int side)
{
    std::mt19937 rng(3);
    qv::test::JpegSpec spec;
    spec.width = spec.height = side;
    return qv::test::makeJpeg(spec, [&](int, unsigned char* row) {
        for (int x = 0; x < side * 3; ++x)
            row[x] = uchar(rng());
    });
}

QByteArray noiseBmp(int side)
{
    TBigBitmap b(side, side, 24);
    std::mt19937 rng(4);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side * 3; ++x)
            b.scanLine(y)[x] = uchar(rng());
    return encodeBmp24(b);
}

} // namespace

// Another program cuts the file to 1 KiB at moments spread over the read and decode.
QV_TEST_CHILD(CutWhileReading)
{
    const QString reader = args.value(0), path = args.value(1);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 2;
    const QByteArray original = f.readAll();
    f.close();
    for (int delayUs : {0, 300, 1000, 3000, 8000, 20000, 50000}) {
        if (!writeWhole(path, original))
            return 3;
        std::thread cut([&] {
            std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
            if (::truncate(QFile::encodeName(path).constData(), 1024) != 0)
                std::abort();
        });
        readOnce(reader, path);
        cut.join();
    }
    return 0;
}

TEST(PictureFile, APhotoCutShortWhileItIsReadIsNoCrash)
{
    const QString jpeg = baseDir() + "big.jpg", bmp = baseDir() + "big.bmp";
    ASSERT_TRUE(writeWhole(jpeg, noiseJpeg(2000)));
    ASSERT_TRUE(writeWhole(bmp, noiseBmp(3000)));
    for (const char* reader : {"jpeg", "bmp", "thumbnail-jpeg", "thumbnail-bmp"}) {
        const QString file = QString(reader).endsWith("jpeg") ? jpeg : bmp;
        const qv::test::MeasuredRun run = qv::test::runMeasuredChild("CutWhileReading", {reader, file});
        EXPECT_TRUE(run.exitedCleanly()) << reader << ": the program ended by signal " << run.signal
                                         << " (7 is SIGBUS), exit " << run.exitCode << run.err.toStdString();
    }
}

TEST(PictureFile, ReadsWhatTheFileHoldsAndRefusesWhatIsNoFile)
{
    const QByteArray photo = noiseJpeg(64);
    const QString path = baseDir() + "p.jpg";
    ASSERT_TRUE(writeWhole(path, photo));
    const PictureBytes whole = readPictureFile(path);
    EXPECT_TRUE(whole.ok());
    EXPECT_EQ(whole.bytes, photo);
    const PictureBytes head = readPictureHead(path, 100);
    EXPECT_EQ(head.bytes, photo.left(100));
    EXPECT_EQ(head.fileSize, photo.size());

    // Headers longer than the head a read takes first (big colour profiles): read whole.
    QByteArray padded = photo.left(2);
    for (int i = 0; i < 6; ++i)
        padded += QByteArray("\xFF\xEF\xFF\xF0", 4) + QByteArray(0xFFF0 - 2, 'x'); // APP15 segments of 64 KiB
    padded += photo.mid(2);
    const QString big = baseDir() + "profile.jpg";
    ASSERT_TRUE(writeWhole(big, padded));
    ASSERT_GT(padded.size(), kPictureHeadBytes);
    const ImageLoadResult viaFile = decodeJpegFile(big, 2);
    ASSERT_TRUE(viaFile.ok()) << viaFile.error.toStdString();
    EXPECT_EQ(viaFile.bitmap, decodeJpeg(photo, 2).bitmap);
    EXPECT_EQ(readJpegHeaderFile(big).width, 64);
    EXPECT_EQ(makeThumbnail(big, true, 84).outcome, ThumbOutcome::Ready);

    const PictureBytes missing = readPictureFile(baseDir() + "gone.jpg");
    EXPECT_TRUE(missing.missing);
    EXPECT_FALSE(missing.ok());
    // A pipe named like a photo would never end, a folder is no file.
    const QString pipe = baseDir() + "pipe.jpg";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_TRUE(readPictureFile(pipe).error.contains("not a regular file"));
    EXPECT_FALSE(loadPicture(baseDir(), PictureFormat::Jpeg, {}).ok());
    EXPECT_EQ(makeThumbnail(pipe, true, 84).outcome, ThumbOutcome::Broken);
    EXPECT_EQ(makeThumbnail(baseDir() + "gone.jpg", true, 84).outcome, ThumbOutcome::Vanished);
}

// Thumbnail workers of a machine with many processors: 16 of them on 16 large progressive
// photos (36 MiB of coefficients each); the child reports its size before they start.
QV_TEST_CHILD(ThumbnailWorkers)
{
    const int threads = args.value(0).toInt();
    std::atomic<int> made{0};
    ThumbQueue queue([&](const ThumbQueue::Job&, const ThumbResult& r) { made += r.outcome == ThumbOutcome::Ready; }, 84, threads);
    std::vector<ThumbQueue::Job> jobs;
    for (const QString& path : args.mid(1)) {
        ThumbQueue::Job j;
        j.key = j.path = path;
        j.jpeg = true;
        jobs.push_back(j);
    }
    std::printf("baseline %lld\n", qv::test::residentKb());
    std::fflush(stdout);
    queue.replace(std::move(jobs));
    queue.waitForDone();
    std::printf("made %d\nshared peak %lld\n", made.load(), thumbnailBudget().peakTaken() >> 20);
    return 0;
}

TEST(PictureFile, ThumbnailWorkersShareOneBudgetHoweverManyThereAre)
{
    std::mt19937 rng(8);
    qv::test::JpegSpec spec;
    spec.width = 4000;
    spec.height = 3000;
    spec.progressive = true;
    spec.quality = 40;
    const QByteArray photo = qv::test::makeJpeg(spec, [&](int, unsigned char* row) {
        for (int x = 0; x < spec.width * 3; ++x)
            row[x] = uchar(rng() & 0x3F);
    });
    QStringList files;
    for (int i = 0; i < 16; ++i) {
        files << baseDir() + QString("p%1.jpg").arg(i);
        ASSERT_TRUE(writeWhole(files.last(), photo));
    }
    for (const int threads : {2, 16}) {
        const qv::test::MeasuredRun r = qv::test::runMeasuredChild("ThumbnailWorkers", QStringList{QString::number(threads)} + files);
        ASSERT_TRUE(r.exitedCleanly()) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("made 16")) << r.out.toStdString();
        const qint64 baselineKb = r.out.section("baseline ", 1).section('\n', 0, 0).toLongLong();
        const qint64 grownMb = (r.peakKb - baselineKb) / 1024;
        std::printf("measured: %d thumbnail workers: %lld MB above the program's own %lld MB (%s MB taken from the "
                    "budget at most), %.2f s CPU\n", threads, grownMb, baselineKb / 1024,
                    qPrintable(r.out.section("shared peak ", 1).trimmed()), r.cpuSeconds);
        EXPECT_LE(grownMb, (kThumbnailBudgetBytes >> 20) + 48) << threads << " workers";
    }
}

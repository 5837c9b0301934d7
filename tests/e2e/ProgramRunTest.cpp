// Runs of the real program: single instance, clean exit, and a crash leaving the work behind.
#include "TestEnv.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

namespace qv::test {
namespace {

constexpr int kStartTimeoutMs = 30000;

class ProgramRunTest : public testing::Test {
protected:
    QTemporaryDir base, runtime;

    QString work() const { return base.path() + "/qor_backup_editor/"; }

    std::unique_ptr<QProcess> start(int quitAfterMs, double pauseScale = 0)
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QORVALE_HEADLESS_DIALOGS", "1");
        env.insert("QORVALE_PAUSE_SCALE", QString::number(pauseScale));
        env.insert("QORVALE_BASE_DIR", base.path());
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QORVALE_QUIT_AFTER_MS", QString::number(quitAfterMs));
        p->setProcessEnvironment(env);
        p->start(QStringLiteral(QV_BINARY), {});
        EXPECT_TRUE(p->waitForStarted(kStartTimeoutMs)) << p->errorString().toStdString();
        return p;
    }

    /// @brief Polls until cond holds or the process ends; true when cond held.
    static bool waitFor(QProcess& p, const std::function<bool()>& cond, int timeoutMs = kStartTimeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            if (cond())
                return true;
            if (p.state() == QProcess::NotRunning || p.waitForFinished(20))
                return cond();
        }
        return false;
    }

    bool thumbFolderExists() const { return QFileInfo(work() + "thumb").isDir(); }

    static QStringList dialogLines(QProcess& p)
    {
        QStringList lines;
        for (const QString& l : QString::fromUtf8(p.readAllStandardError()).split('\n'))
            if (l.startsWith("dialog: "))
                lines << l;
        return lines;
    }

    static void finishNormally(QProcess& p)
    {
        ASSERT_TRUE(p.waitForFinished(kStartTimeoutMs));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
    }
};

TEST_F(ProgramRunTest, SecondCopyReportsAndLeavesWithoutWindow)
{
    auto first = start(60000);
    ASSERT_TRUE(waitFor(*first, [&] { return thumbFolderExists(); })) << "first copy did not come up";

    // With pauses ten times longer, a second copy that created its window would spend 10 s in it.
    QElapsedTimer t;
    t.start();
    auto second = start(60000, 10);
    finishNormally(*second);
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_EQ(dialogLines(*second), QStringList{"dialog: error: すでに起動しています。"});

    EXPECT_EQ(first->state(), QProcess::Running);
    first->terminate();
    first->waitForFinished(kStartTimeoutMs);
}

TEST_F(ProgramRunTest, NormalExitRemovesTheWorkFolder)
{
    auto p = start(300);
    EXPECT_TRUE(waitFor(*p, [&] { return thumbFolderExists(); })) << "work folder never appeared";
    finishNormally(*p);
    EXPECT_FALSE(QFileInfo::exists(work()));
    for (const QString& line : dialogLines(*p))
        EXPECT_FALSE(line.startsWith("dialog: question:")) << line.toStdString();
}

TEST_F(ProgramRunTest, KilledRunLeavesPagesAndPhotosForTheNextStart)
{
    writeFile(work() + "0/qor.dat", QByteArray(4, '\0'));
    writeFile(work() + "7/qor.dat", QByteArray(4, '\0'));
    QDir().mkpath(work() + "img");
    ASSERT_TRUE(QFile::copy(testData("orientation/Landscape_1.jpg"), work() + "img/0_.jpg"));
    ASSERT_TRUE(QFile::copy(testData("orientation/Portrait_1.jpg"), work() + "img/1_.jpg"));

    auto crashed = start(60000);
    ASSERT_TRUE(waitFor(*crashed, [&] { return thumbFolderExists(); }));
    crashed->kill();
    ASSERT_TRUE(crashed->waitForFinished(kStartTimeoutMs));
    EXPECT_EQ(crashed->exitStatus(), QProcess::CrashExit);
    const QStringList kept{"0/qor.dat", "7/qor.dat", "img/0_.jpg", "img/1_.jpg"};
    for (const QString& f : kept)
        ASSERT_TRUE(QFileInfo::exists(work() + f)) << f.toStdString();
    // Pool thumbnails are rebuilt from the photos when the pool is restored.
    QFile::remove(work() + "img/t0_.bmp");
    QFile::remove(work() + "img/t1_.bmp");

    // The next start takes the lock the killed copy held, restores the pool and keeps the pages.
    // It quits 3 s after showing its window; the pages are watched until shortly after the
    // pool is back, well before that quit deletes the work folder.
    auto next = start(3000);
    int pollsAfterRestore = 0;
    auto poolRestored = [&] {
        return QFileInfo::exists(work() + "img/t0_.bmp") && QFileInfo::exists(work() + "img/t1_.bmp");
    };
    while (pollsAfterRestore < 5 && !next->waitForFinished(50)) {
        for (const QString& f : kept)
            ASSERT_TRUE(QFileInfo::exists(work() + f)) << f.toStdString() << " gone while running";
        if (poolRestored())
            ++pollsAfterRestore;
    }
    EXPECT_EQ(pollsAfterRestore, 5) << "the pool was not restored while the program ran";
    ASSERT_TRUE(next->waitForFinished(kStartTimeoutMs));
    EXPECT_EQ(next->exitStatus(), QProcess::NormalExit);
    for (const QString& line : dialogLines(*next)) {
        EXPECT_FALSE(line.startsWith("dialog: error:")) << line.toStdString();
        EXPECT_FALSE(line.contains("データ復元中")) << line.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(work()));
}

} // namespace
} // namespace qv::test

// The CUPS queue and PDF measurements of the print tests.
#include "CupsQueue.h"
#include "TestEnv.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

namespace qv::test {
namespace {

struct Run {
    int status = -1;
    QString out;
};

Run run(const QString& program, const QStringList& args, int timeoutMs = 30000)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    Run r;
    if (!p.waitForStarted(5000))
        return r;
    if (!p.waitForFinished(timeoutMs))
        p.kill();
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAll());
    return r;
}

bool schedulerRunning() { return run("lpstat", {"-r"}).out.contains("scheduler is running"); }

// cups-pdf writes the files of root's jobs into root's home.
QString outputDir() { return QStringLiteral("/root/PDF/"); }

int jobNumber(const QString& file)
{
    static const QRegularExpression re(QStringLiteral("job_(\\d+)"));
    return re.match(file).captured(1).toInt();
}

} // namespace

QString ensureCupsQueue()
{
    if (geteuid() != 0)
        return "the print tests need root: the PDF queue writes its files into /root/PDF";
    if (run("lpstat", {"-r"}).status < 0)
        return "lpstat is missing: run scripts/deps (packages cups, cups-client, printer-driver-cups-pdf)";
    if (!schedulerRunning()) {
        run("cupsd", {});
        QElapsedTimer t;
        t.start();
        while (!schedulerRunning() && t.elapsed() < 15000)
            QThread::msleep(200);
        if (!schedulerRunning())
            return "the CUPS scheduler (cupsd) does not start";
    }
    if (run("lpstat", {"-v", kTestQueue}).status != 0) {
        const Run added = run("lpadmin", {"-p", kTestQueue, "-v", "cups-pdf:/", "-E", "-m",
                                          "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd"});
        if (added.status != 0)
            return "lpadmin cannot create the queue: " + added.out;
    }
    return {};
}

RunQueue::RunQueue(const QString& stem, const QString& ppd)
    : name(stem + QString::number(QCoreApplication::applicationPid()))
{
    problem = ensureCupsQueue();
    if (!problem.isEmpty())
        return;
    const QStringList model = ppd.isEmpty()
                                  ? QStringList{"-m", "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd"}
                                  : QStringList{"-P", QStringLiteral(QV_TESTDATA_DIR "/ppd/") + ppd};
    const Run added = run("lpadmin", QStringList{"-p", name, "-v", "cups-pdf:/", "-E"} + model);
    if (added.status != 0)
        problem = "lpadmin cannot create the queue " + name + ": " + added.out;
}

RunQueue::~RunQueue() { remove(); }

void RunQueue::disable() { run("cupsdisable", {name}); }

void RunQueue::remove()
{
    if (run("lpstat", {"-v", name}).status != 0)
        return;
    run("cancel", {"-a", name});
    run("lpadmin", {"-x", name});
}

QStringList RunQueue::pendingJobs() const
{
    const Run listed = run("lpstat", {"-o", name});
    return listed.status == 0 ? listed.out.split('\n', Qt::SkipEmptyParts) : QStringList(); // none when it is gone
}

QStringList cupsOutputFiles()
{
    QStringList files;
    for (const QFileInfo& f : QDir(outputDir()).entryInfoList({"*.pdf"}, QDir::Files))
        files << f.absoluteFilePath();
    return files;
}

void nameJobsForThisTest()
{
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    // Short and plain: the queue shortens and decorates long titles in its file names.
    QString name = QString::fromLatin1(info->name());
    name.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")));
    QCoreApplication::setApplicationName(QStringLiteral("QvT") + name.left(20));
}

QStringList waitForCupsOutput(const QStringList& before, int count, int timeoutMs, const QString& queue)
{
    QElapsedTimer t;
    t.start();
    QStringList fresh;
    const QString title = QCoreApplication::applicationName();
    do {
        fresh.clear();
        for (const QString& f : cupsOutputFiles())
            if (!before.contains(f) && QFileInfo(f).fileName().startsWith(title))
                fresh << f;
        const Run jobs = run("lpstat", {"-o", queue});
        const bool idle = jobs.status != 0 || jobs.out.trimmed().isEmpty(); // a queue gone prints no more
        if (fresh.size() >= count && idle)
            break;
        QThread::msleep(200);
    } while (t.elapsed() < timeoutMs);
    std::sort(fresh.begin(), fresh.end(), [](const QString& a, const QString& b) { return jobNumber(a) < jobNumber(b); });
    QStringList moved;
    for (const QString& f : fresh) {
        const QString to = baseDir() + QFileInfo(f).fileName();
        if (QFile::copy(f, to))
            QFile::remove(f);
        moved << to;
    }
    return moved;
}

QList<QSizeF> pdfPageSizesMm(const QString& pdf)
{
    const Run info = run("pdfinfo", {"-box", "-f", "1", "-l", "999", pdf});
    QList<QSizeF> sizes;
    static const QRegularExpression re(QStringLiteral("Page +\\d+ MediaBox: +([-\\d.]+) +([-\\d.]+) +([-\\d.]+) +([-\\d.]+)"));
    for (auto it = re.globalMatch(info.out); it.hasNext();) {
        const auto m = it.next();
        const double mm = 25.4 / 72;
        sizes << QSizeF((m.captured(3).toDouble() - m.captured(1).toDouble()) * mm,
                        (m.captured(4).toDouble() - m.captured(2).toDouble()) * mm);
    }
    return sizes;
}

QImage rasterisePdfPage(const QString& pdf, int page, int dpi)
{
    const QString stem = baseDir() + QStringLiteral("raster");
    const QString n = QString::number(page);
    run("pdftoppm", {"-r", QString::number(dpi), "-gray", "-f", n, "-l", n, "-singlefile", pdf, stem});
    return QImage(stem + ".pgm").convertToFormat(QImage::Format_Grayscale8);
}

QRect darkBox(const QImage& grey)
{
    QRect box;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            if (row[x] < 128)
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

} // namespace qv::test

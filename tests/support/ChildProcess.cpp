#include "ChildProcess.h"
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <map>
#include <string>

namespace qv::test {
namespace {

std::map<std::string, ChildMain>& children()
{
    static std::map<std::string, ChildMain> registry;
    return registry;
}

// A "Label: value" line of time's verbose report.
QString reportValue(const QString& report, const QString& label)
{
    const QRegularExpression re(QStringLiteral("^\\s*") + QRegularExpression::escape(label) + QStringLiteral(": (.*)$"),
                                QRegularExpression::MultilineOption);
    return re.match(report).captured(1).trimmed();
}

} // namespace

ChildRegistration::ChildRegistration(const char* name, ChildMain main) { children()[name] = main; }

int runChildFromCommandLine(int argc, char** argv)
{
    if (argc < 3 || std::string(argv[1]) != "--qv-child")
        return -1;
    const auto it = children().find(argv[2]);
    if (it == children().end())
        return 100;
    QStringList args;
    for (int i = 3; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return it->second(args);
}

MeasuredRun runMeasuredChild(const QString& name, const QStringList& args, int timeoutMs)
{
    return runMeasured(QCoreApplication::applicationFilePath(), QStringList{"--qv-child", name} + args, timeoutMs);
}

MeasuredRun runMeasured(const QString& program, const QStringList& args, int timeoutMs, const QStringList& environment)
{
    MeasuredRun run;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& e : environment)
        env.insert(e.section(QLatin1Char('='), 0, 0), e.section(QLatin1Char('='), 1));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("/usr/bin/time"), QStringList{"-v", program} + args);
    run.started = p.waitForStarted(10000);
    if (!run.started)
        return run;
    run.timedOut = !p.waitForFinished(timeoutMs);
    if (run.timedOut) {
        p.kill();
        p.waitForFinished(10000);
    }
    run.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    QString err = QString::fromLocal8Bit(p.readAllStandardError());
    const qsizetype report = err.lastIndexOf(QStringLiteral("\tCommand being timed:"));
    const QString timeReport = report >= 0 ? err.mid(report) : QString();
    run.err = report >= 0 ? err.left(report) : err;
    const QRegularExpression bySignal(QStringLiteral("Command terminated by signal (\\d+)"));
    run.signal = bySignal.match(err).captured(1).toInt();
    run.exitCode = reportValue(timeReport, QStringLiteral("Exit status")).toInt();
    run.peakKb = reportValue(timeReport, QStringLiteral("Maximum resident set size (kbytes)")).toLongLong();
    run.cpuSeconds = reportValue(timeReport, QStringLiteral("User time (seconds)")).toDouble()
        + reportValue(timeReport, QStringLiteral("System time (seconds)")).toDouble();
    return run;
}

qint64 residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QRegularExpression re(QStringLiteral("^VmRSS:\\s+(\\d+) kB"), QRegularExpression::MultilineOption);
    return re.match(QString::fromLatin1(f.readAll())).captured(1).toLongLong();
}

} // namespace qv::test

#pragma once
// Work measured in a process of its own: the test program runs itself again under
// /usr/bin/time -v with `--qv-child NAME ARGS...`, which runs the child registered under NAME
// instead of the tests. Peak memory and processor time then belong to that work alone, and a
// crash (SIGBUS, an abort) is a result the parent reads, not the end of the test run.
#include <QString>
#include <QStringList>

namespace qv::test {

using ChildMain = int (*)(const QStringList& args);

struct ChildRegistration {
    ChildRegistration(const char* name, ChildMain main);
};

/// @brief Runs a registered child of a `--qv-child` command line; -1 when none is named.
int runChildFromCommandLine(int argc, char** argv);

struct MeasuredRun {
    bool started = false;
    int exitCode = -1;   // when it exited
    int signal = 0;      // when a signal ended it
    bool timedOut = false;
    qint64 peakKb = 0;   // maximum resident set size
    double cpuSeconds = 0; // user + system
    QString out;         // the child's standard output
    QString err;         // its standard error, without time's report
    bool exitedCleanly() const { return started && !timedOut && signal == 0 && exitCode == 0; }
};

/// @brief Runs a program under /usr/bin/time -v, with `environment` added to this process's;
/// killed after timeoutMs.
MeasuredRun runMeasured(const QString& program, const QStringList& args, int timeoutMs = 120000,
                        const QStringList& environment = {});
/// @brief Runs child NAME of this test program the same way.
MeasuredRun runMeasuredChild(const QString& name, const QStringList& args, int timeoutMs = 120000);
/// @brief This process's resident set size now (children report their baseline with it).
qint64 residentKb();

} // namespace qv::test

/// Registers a child process body: QV_TEST_CHILD(Name) { ... return 0; } with `args` in scope.
#define QV_TEST_CHILD(Name)                                                                        \
    static int Name##ChildMain(const QStringList& args);                                           \
    static const qv::test::ChildRegistration Name##ChildRegistration(#Name, Name##ChildMain);      \
    static int Name##ChildMain([[maybe_unused]] const QStringList& args)

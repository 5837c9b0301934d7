// Test main: an offscreen application with a fixed locale, no pauses, headless dialogs,
// and a fresh temporary base directory for every test.
#include "ChildProcess.h"
#include "Pause.h"
#include "SafeAssert.h"
#include <QApplication>
#include <QLocale>
#include <QStandardPaths>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qv::test {
void resetBaseDir();
void dropBaseDir();
}

namespace {
class FreshBaseDir : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { qv::test::resetBaseDir(); }
    void OnTestEnd(const testing::TestInfo&) override { qv::test::dropBaseDir(); }
};
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("QORVALE_PAUSE_SCALE", "0");
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale::c());
    QApplication app(argc, argv);
    qv::setPauseScale(0);
    qv::setSafeAssertHandler([](const char* what) { ADD_FAILURE() << "internal check failed: " << what; });
    if (const int child = qv::test::runChildFromCommandLine(argc, argv); child >= 0)
        return child;
    testing::InitGoogleMock(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FreshBaseDir);
    return RUN_ALL_TESTS();
}

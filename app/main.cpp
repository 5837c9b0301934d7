// Program entry: one running copy, the main window and the document, then the message loop.
#include "Dialogs.h"
#include "FontSetup.h"
#include "Platform.h"
#include "ProcessStart.h"
#include "QtTranslations.h"
#include "Unit1.h"
#include "WidgetDialogs.h"
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTimer>

namespace {

// QORVALE_QUIT_AFTER_MS=n closes the main window n ms after it is shown, through the same close
// path as the window's close button; scripted runs use it to end the program cleanly.
void scheduleQuitFromEnvironment(qv::TForm1& form)
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("QORVALE_QUIT_AFTER_MS", &ok);
    if (ok && ms >= 0)
        QTimer::singleShot(ms, &form, &qv::TForm1::quit);
}

} // namespace

int main(int argc, char* argv[])
{
    // The application object comes first: Qt needs it to find the program's folder and to show
    // the message box of a second copy. No window exists before the single-instance check.
    QApplication app(argc, argv);
    qv::installFontSubstitutions();
    qv::installQtTranslations(app);
    const QString baseDirectory = qv::platform().baseDirectory();

    qv::WidgetDialogs widgetDialogs;
    if (qEnvironmentVariable("QORVALE_HEADLESS_DIALOGS") != QLatin1String("1"))
        qv::setDialogs(&widgetDialogs);

    if (!qv::platform().acquireSingleInstance(QStringLiteral("QORVALE_RUN"))) {
        qv::dialogs().error(qv::kMsgAlreadyRunning);
        return 0;
    }
    QApplication::setApplicationName(qv::kAppTitle);
    // The menu entry installed beside the program; desktops match the window to it and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("qorvale"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/qorvale.svg")));

    qv::TForm1 form(baseDirectory);
    form.createDocument();
    widgetDialogs.runTextDialog = [&form](qv::TextDialogValues& values) { return form.runTextDialog(values); };
    const QStringList args = QApplication::arguments();
    if (args.size() > 1)
        form.startupProject = qv::startupProjectPath(args.at(1), QDir::currentPath());
    form.show();
    scheduleQuitFromEnvironment(form);
    const int status = app.exec();
    return status;
}

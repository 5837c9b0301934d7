#pragma once
// A main window built on a scripted platform and scripted dialogs, in a fresh base directory.
#include "FakePlatform.h"
#include "HookRecorder.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "Unit1.h"
#include "Unit2.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>
#include <ostream>
#include <functional>
#include <memory>

// Readable failures for texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace qv::test {

class FormTest : public testing::Test {
protected:
    FakePlatform fakePlatform;
    ScriptedDialogs script;
    HookRecorder hooks;   // panels not built in this window record their calls
    std::unique_ptr<TForm1> form;   // declared last: destroyed before the seams it uses

    void SetUp() override
    {
        QApplication::setQuitOnLastWindowClosed(false);
        QApplication::setApplicationName(kAppTitle);   // as the program names itself
    }

    TForm1& makeForm(bool withDocument = true)
    {
        form = std::make_unique<TForm1>(baseDir());
        hooks.install(form->state);
        if (withDocument)
            form->createDocument();
        return *form;
    }

    /// @brief Shows the window and lets its first activation run.
    void showForm()
    {
        form->show();
        QElapsedTimer t;
        t.start();
        while (!(form->windowHandle() && form->windowHandle()->isExposed()) && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_TRUE(form->windowHandle() && form->windowHandle()->isExposed());
        QCoreApplication::processEvents();
    }

    template <class W = QWidget>
    W* find(const char* name) const
    {
        W* w = form->findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << "no control named " << name;
        return w;
    }

    static QString work() { return baseDir() + QStringLiteral("qor_backup_editor/"); }

    /// @brief Runs act on the next modal dialog once it is up (a message box, the colour or
    /// the text dialog), as the user would answer it.
    static void onNextModal(std::function<void(QWidget*)> act)
    {
        auto* poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            poll->stop();
            poll->deleteLater();
            act(modal);
        });
        poll->start(5);
    }
};

} // namespace qv::test

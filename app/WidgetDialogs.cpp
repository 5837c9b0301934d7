#include "WidgetDialogs.h"
#include "SafeAssert.h"
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace qv {
namespace {

QWidget* owner() { return QApplication::activeWindow(); }

int runBox(QMessageBox::Icon icon, const QString& title, const QString& text,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton byDefault)
{
    QMessageBox box(icon, title, text, buttons, owner());
    box.setDefaultButton(byDefault);
    return box.exec();
}

} // namespace

void WidgetDialogs::showmess(const QString& text)
{
    runBox(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, QMessageBox::Ok);
}

void WidgetDialogs::error(const QString& text)
{
    runBox(QMessageBox::Critical, QString(), text, QMessageBox::Ok, QMessageBox::Ok);
}

bool WidgetDialogs::confirm(const QString& text)
{
    // No is the default so that a stray Enter never starts anything.
    return runBox(QMessageBox::Question, QApplication::applicationName(), text,
                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

Answer WidgetDialogs::ask(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text, QMessageBox::Yes | QMessageBox::No,
                    owner());
    box.setDefaultButton(QMessageBox::Yes);
    // Escape and the window's close button click the escape button: a hidden Cancel, so that
    // neither can be taken for No.
    QAbstractButton* cancel = box.addButton(QMessageBox::Cancel);
    cancel->hide();
    box.setEscapeButton(cancel);
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    if (clicked == box.button(QMessageBox::Yes))
        return Answer::Yes;
    return clicked == box.button(QMessageBox::No) ? Answer::No : Answer::Cancel;
}

QString WidgetDialogs::openFile(const QString& caption, const QString& filter)
{
    return QFileDialog::getOpenFileName(owner(), caption, QString(), filter);
}

QString WidgetDialogs::saveFile(const QString& caption, const QString& filter, const QString& suggested)
{
    return QFileDialog::getSaveFileName(owner(), caption, suggested, filter);
}

bool WidgetDialogs::textEntry(TextDialogValues& values)
{
    if (!safeAssert(bool(runTextDialog), "text entry dialog not created"))
        return false;
    return runTextDialog(values);
}

} // namespace qv

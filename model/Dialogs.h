#pragma once
// Every message box, question and file dialog goes through this seam, so that tests can script
// the answers and record the texts.
#include "TextDialogValues.h"
#include <QString>
#include <memory>

namespace qv {

/// Answers of a question that may also be put aside.
enum class Answer { Yes, No, Cancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    /// @brief Plain message box with OK.
    virtual void showmess(const QString& text) = 0;
    /// @brief Message box with the error icon and OK.
    virtual void error(const QString& text) = 0;
    /// @brief Yes/No question; true for Yes. The default answer is No.
    virtual bool confirm(const QString& text) = 0;
    /// @brief Yes/No question whose default is Yes; Escape or closing the box gives Cancel.
    virtual Answer ask(const QString& text) = 0;
    /// @brief File open dialog; empty when cancelled.
    virtual QString openFile(const QString& caption, const QString& filter) = 0;
    /// @brief File save dialog; empty when cancelled.
    virtual QString saveFile(const QString& caption, const QString& filter, const QString& suggested) = 0;
    /// @brief Runs the text entry dialog modally on the values; true when it closed with Yes.
    virtual bool textEntry(TextDialogValues& values) = 0;
};

/// @brief The dialogs in use; a headless implementation until the application installs its own.
Dialogs& dialogs();
/// @brief Installs an implementation (not owned); nullptr restores the default.
void setDialogs(Dialogs* d);

/// Writes "dialog: <kind>: <text>" to standard error and returns the default answer.
class HeadlessDialogs : public Dialogs {
public:
    void showmess(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& text) override;
    /// Answers No, as for every question, so that a scripted run can always end.
    Answer ask(const QString& text) override;
    QString openFile(const QString& caption, const QString& filter) override;
    QString saveFile(const QString& caption, const QString& filter, const QString& suggested) override;
    bool textEntry(TextDialogValues& values) override;
};

} // namespace qv

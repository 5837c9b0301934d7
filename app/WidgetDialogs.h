#pragma once
// The dialogs the user sees: message boxes and the system's file dialogs.
#include "Dialogs.h"
#include <functional>

namespace qv {

class WidgetDialogs : public Dialogs {
public:
    void showmess(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& text) override;
    Answer ask(const QString& text) override;
    QString openFile(const QString& caption, const QString& filter) override;
    QString saveFile(const QString& caption, const QString& filter, const QString& suggested) override;
    bool textEntry(TextDialogValues& values) override;
    /// The modal text entry dialog; the window sets it once the dialog exists.
    std::function<bool(TextDialogValues&)> runTextDialog;
};

} // namespace qv

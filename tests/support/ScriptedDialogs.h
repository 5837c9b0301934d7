#pragma once
// Dialogs for tests: records every text and answers from a script.
#include "Dialogs.h"
#include <QStringList>
#include <deque>
#include <functional>

namespace qv::test {

class ScriptedDialogs : public Dialogs {
public:
    ScriptedDialogs() { setDialogs(this); }
    ~ScriptedDialogs() override { setDialogs(nullptr); }

    QStringList messages;           // "<kind>: <text>" in order
    std::deque<bool> confirmAnswers; // default No when empty
    std::deque<Answer> askAnswers;   // when empty, ask takes the next confirm answer
    std::deque<QString> fileAnswers; // default cancel when empty

    void showmess(const QString& text) override { messages << "message: " + text; }
    void error(const QString& text) override { messages << "error: " + text; }
    bool confirm(const QString& text) override;
    Answer ask(const QString& text) override;
    QString openFile(const QString& caption, const QString& filter) override;
    QString saveFile(const QString& caption, const QString& filter, const QString& suggested) override;
    /// Answers the text entry dialog; records "text: <text>" and answers No when unset.
    std::function<bool(TextDialogValues&)> onTextEntry;
    bool textEntry(TextDialogValues& values) override
    {
        messages << "text: " + values.dialogText;
        return onTextEntry ? onTextEntry(values) : false;
    }
};

} // namespace qv::test

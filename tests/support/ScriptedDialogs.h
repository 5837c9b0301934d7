#pragma once
// Dialogs for tests: records every text and answers from a script.
#include "Dialogs.h"
#include <QStringList>
#include <deque>

namespace qv::test {

class ScriptedDialogs : public Dialogs {
public:
    ScriptedDialogs() { setDialogs(this); }
    ~ScriptedDialogs() override { setDialogs(nullptr); }

    QStringList messages;           // "<kind>: <text>" in order
    std::deque<bool> confirmAnswers; // default No when empty
    std::deque<QString> fileAnswers; // default cancel when empty

    void showmess(const QString& text) override { messages << "message: " + text; }
    void error(const QString& text) override { messages << "error: " + text; }
    bool confirm(const QString& text) override;
    QString openFile(const QString& caption, const QString& filter) override;
    QString saveFile(const QString& caption, const QString& filter, const QString& suggested) override;
};

} // namespace qv::test

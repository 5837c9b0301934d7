#include "ScriptedDialogs.h"

namespace qv::test {

bool ScriptedDialogs::confirm(const QString& text)
{
    messages << "question: " + text;
    if (confirmAnswers.empty())
        return false;
    bool a = confirmAnswers.front();
    confirmAnswers.pop_front();
    return a;
}

Answer ScriptedDialogs::ask(const QString& text)
{
    if (askAnswers.empty()) {
        const bool yes = confirm(text);
        return yes ? Answer::Yes : Answer::No;
    }
    messages << "question: " + text;
    const Answer a = askAnswers.front();
    askAnswers.pop_front();
    return a;
}

QString ScriptedDialogs::openFile(const QString& caption, const QString&)
{
    messages << "open: " + caption;
    if (fileAnswers.empty())
        return {};
    QString a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
}

QString ScriptedDialogs::saveFile(const QString& caption, const QString&, const QString&)
{
    messages << "save: " + caption;
    if (fileAnswers.empty())
        return {};
    QString a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
}

} // namespace qv::test

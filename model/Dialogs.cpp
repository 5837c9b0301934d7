#include "Dialogs.h"
#include <cstdio>

namespace qv {
namespace {
HeadlessDialogs headless;
Dialogs* current = nullptr;

void say(const char* kind, const QString& text)
{
    std::fprintf(stderr, "dialog: %s: %s\n", kind, text.toUtf8().constData());
    std::fflush(stderr);
}
} // namespace

Dialogs& dialogs() { return current ? *current : headless; }
void setDialogs(Dialogs* d) { current = d; }

void HeadlessDialogs::showmess(const QString& text) { say("message", text); }
void HeadlessDialogs::error(const QString& text) { say("error", text); }
bool HeadlessDialogs::confirm(const QString& text)
{
    say("question", text);
    return false;
}
Answer HeadlessDialogs::ask(const QString& text)
{
    say("question", text);
    return Answer::No;
}
QString HeadlessDialogs::openFile(const QString& caption, const QString&)
{
    say("open", caption);
    return {};
}
QString HeadlessDialogs::saveFile(const QString& caption, const QString&, const QString&)
{
    say("save", caption);
    return {};
}

bool HeadlessDialogs::textEntry(TextDialogValues& values)
{
    say("text", values.dialogText);
    return false;
}

} // namespace qv

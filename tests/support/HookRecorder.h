#pragma once
// Hooks of panels that a test's window or document does not build record their calls instead
// of failing: a test can then check that the editor asked for them.
#include "MainState.h"
#include <QStringList>

namespace qv::test {

struct HookRecorder {
    QStringList calls;
    bool fieldFocused = false;
    int printerCheck = PrintHooks::Ready;
    bool printerChosen = true;

    void install(TMainState& st)
    {
        WindowHooks& w = st.window;
        stub(w.refreshPropertyPanel, "refreshPropertyPanel");
        stub(w.maskPanelButtons, "maskPanelButtons");
        stub(w.clearFontSizeChoice, "clearFontSizeChoice");
        stub(w.rebuildNavigator, "rebuildNavigator");
        stub(w.repaintThumbnail, "repaintThumbnail");
        if (isUnwired(w.propertyFieldFocused))
            w.propertyFieldFocused = [this] { return fieldFocused; };
        if (isUnwired(w.selectPageRect))
            w.selectPageRect = [this](int page, bool on) {
                calls << QStringLiteral("selectPageRect %1 %2").arg(page).arg(on);
            };
        if (isUnwired(w.attachAlignMenu))
            w.attachAlignMenu = [this](bool on) { calls << QStringLiteral("attachAlignMenu %1").arg(on); };
        PrintHooks& p = st.print;
        if (isUnwired(p.checkPrinter))
            p.checkPrinter = [this] { return printerCheck; };
        if (isUnwired(p.printerChosen))
            p.printerChosen = [this] { return printerChosen; };
        if (isUnwired(p.setAutoPaper))
            p.setAutoPaper = [this](bool on) { calls << QStringLiteral("setAutoPaper %1").arg(on); };
        stub(p.prepareSettings, "prepareSettings");
        stub(p.PrintStart, "PrintStart");
        stub(p.leavePrinting, "leavePrinting");
    }

    /// @brief How many times a hook was called.
    int count(const QString& name) const { return int(calls.count(name)); }

private:
    void stub(std::function<void()>& f, const char* name)
    {
        if (isUnwired(f))
            f = [this, name] { calls << QString::fromLatin1(name); };
    }
};

} // namespace qv::test

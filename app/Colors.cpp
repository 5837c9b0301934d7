#include "Colors.h"
#include <QAbstractScrollArea>
#include <QWidget>
#include <vector>

namespace qv {
namespace {

// The photo frame and the print preview frame reuse control names of the main window
// (Panel5), so each rule says which part of the window its names belong to.
enum class Scope { Window, PhotoFrame, PreviewFrame, Navigator };

struct ColorRule {
    QColor color;
    bool font;
    Scope scope;
    QStringList names;
};

const std::vector<ColorRule>& colorTable()
{
    static const std::vector<ColorRule> table = {
        {kCream, false, Scope::Window, {"MainPanel", "Qor_Panel", "prt", "PanelPBar"}},
        {kCream, false, Scope::Navigator, {"SB6"}},
        {kCream, false, Scope::PhotoFrame, {"Label2"}},
        {kCream, false, Scope::PreviewFrame, {"Panel10", "ScrollBox1"}},
        {kToolGrey, false, Scope::Window,
         {"tool", "ToolBar1", "ToolBar2", "GridSet", "Panel1", "Panel3", "Panel4", "Panel5", "Panel16"}},
        {kPhotoFrameGrey, false, Scope::PhotoFrame,
         {"Imgnav", "Panel2", "Panel5", "PanelLeft", "PanelRight", "PanelBottom", "Panel8", "Panel17"}},
        {kDimText, true, Scope::Window,
         {"GridSet", "Label51", "Label52", "Label53", "Label54", "Label56", "Label57", "Label58", "Label59",
          "Label60", "Label63", "CB1"}},
    };
    return table;
}

const char* frameName(Scope s)
{
    switch (s) {
    case Scope::PhotoFrame: return "imgFrame1";
    case Scope::PreviewFrame: return "PrtFrame";
    case Scope::Navigator: return "page";
    case Scope::Window: break;
    }
    return nullptr;
}

bool insideFrame(const QWidget* w, const QWidget* form)
{
    for (const QWidget* p = w->parentWidget(); p && p != form; p = p->parentWidget())
        for (Scope s : {Scope::PhotoFrame, Scope::PreviewFrame, Scope::Navigator})
            if (p->objectName() == QLatin1String(frameName(s)))
                return true;
    return false;
}

QList<QWidget*> controlsNamed(QWidget* form, Scope scope, const QString& name)
{
    QList<QWidget*> found;
    if (scope == Scope::Window) {
        for (QWidget* w : form->findChildren<QWidget*>(name))
            if (!insideFrame(w, form))
                found << w;
    } else if (QWidget* frame = form->findChild<QWidget*>(QLatin1String(frameName(scope)))) {
        found = frame->findChildren<QWidget*>(name);
    }
    return found;
}

} // namespace

void setBackground(QWidget* w, const QColor& c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, c);
    if (qobject_cast<QAbstractScrollArea*>(w))
        pal.setColor(QPalette::Base, c);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void setFontColor(QWidget* w, const QColor& c)
{
    QPalette pal = w->palette();
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(role, c);
    w->setPalette(pal);
}

void applyColorScheme(QWidget* form)
{
    setBackground(form, kCream);
    for (const ColorRule& rule : colorTable())
        for (const QString& name : rule.names)
            for (QWidget* w : controlsNamed(form, rule.scope, name))
                rule.font ? setFontColor(w, rule.color) : setBackground(w, rule.color);
}

} // namespace qv

// The property panel in the window's tool area, the alignment pop-up menu of the canvas and
// the text entry dialog, and the window hooks through which the editor reaches them.
#include "AlignMenu.h"
#include "EditorCore.h"
#include "PaintBox.h"
#include "PropertyPanel.h"
#include "Unit1.h"
#include "Unit14.h"
#include "Unit2.h"
#include <QFrame>
#include <QMenu>

namespace qv {

void TForm1::setUpPropertyPanel()
{
    const auto panel = [this](const char* name) { return tool->findChild<QFrame*>(QLatin1String(name)); };
    propertyPanel = std::make_unique<PropertyPanel>(
        PropertyPanel::Places{panel("Panel1"), panel("Panel3"), panel("Panel4"), panel("Panel5")});
    propertyPanel->document = [this] { return Form2.get(); };
    propertyPanel->view = [this] { return renderer.get(); };
    propertyPanel->repaint = [this] {
        PBMain->update();
        state.window.repaintThumbnail();
    };

    PopupMenu1 = buildAlignMenu(PBMain, [this](AlignCommand c) { alignCommand(c); });
    attachAlignMenu(PBMain, PopupMenu1, false);
    // The menu opens on the press and takes the button's release: the gesture ends here.
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] {
        if (editor)
            applyChanges(editor->releaseTaken());
    });
    moji = new Tmoji(this);

    WindowHooks& w = state.window;
    PropertyPanel* p = propertyPanel.get();
    w.refreshPropertyPanel = [p] { p->refreshPropertyPanel(); };
    w.maskPanelButtons = [p] { p->maskButtons(); };
    w.clearFontSizeChoice = [p] { p->clearFontSizeChoice(); };
    w.propertyFieldFocused = [p] { return p->fieldFocused(); };
    w.attachAlignMenu = [this](bool on) { attachAlignMenu(PBMain, PopupMenu1, on); };
}

void TForm1::alignCommand(AlignCommand command)
{
    if (!Form2)
        return;
    runAlignCommand(Form2->items, command);
    Form2->setItemSelect();   // distribution may have left a spanning item out of the selection
    PBMain->update();
    state.window.repaintThumbnail();
    propertyPanel->refreshPropertyPanel();
}

bool TForm1::runTextDialog(TextDialogValues& values) { return moji->run(values); }

} // namespace qv

// Keys of the editor: the window previews every key press before the focused control.
#include "Dialogs.h"
#include "EditorCore.h"
#include "Unit2.h"

namespace qv {

void EditorCore::ctrlKey(int key)
{
    switch (key) {
    case Qt::Key_A:
        doc.allSelect();
        refreshToolButtons();
        pending.properties = true;
        break;
    case Qt::Key_D: doc.notSelect(); break;
    case Qt::Key_F: doc.LFItem(); break;
    case Qt::Key_B: doc.LBItem(); break;
    case Qt::Key_Z: doc.undo(doc.undoLevel); break;
    case Qt::Key_V:
        if (doc.CountPageITEM(kMaxPageItems))
            dialogs().showmess(kMsgMaxExceeded);
        else
            doc.copyItems();
        break;
    case Qt::Key_C: doc.setCopyItems(); break;
    default: break;
    }
    doc.ctrlReleased = false;
}

QPoint EditorCore::arrowStep(int key) const
{
    switch (key) {
    case Qt::Key_Left: return {-10, 0};
    case Qt::Key_Up: return {0, -10};
    case Qt::Key_Right: return {10, 0};
    case Qt::Key_Down: return {0, 10};
    default: return {0, 0};
    }
}

bool EditorCore::FormKeyDown(const KeyInput& in, ChangeSet& out)
{
    if (in.ctrl)
        ctrlKey(in.key);
    const QPoint step = arrowStep(in.key);
    const bool arrow = !step.isNull();
    switch (in.key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        if (!st.window.propertyFieldFocused())
            doc.deleteItem();
        break;
    case Qt::Key_Escape: doc.notSelect(); break;
    case Qt::Key_F1: returnToSelectTool(); break;
    case Qt::Key_F2: ToolButtonClick(kBtnText); break;
    case Qt::Key_F3: ToolButtonClick(kBtnRect); break;
    case Qt::Key_F4: ToolButtonClick(kBtnEllipse); break;
    case Qt::Key_F5: ToolButtonClick(kBtnScroll); break;
    default: break;
    }
    if (arrow && st.view.scaleArmedByHover) {
        setTool(kToolSelect);
        st.view.scaleArmedByHover = false;
    }
    // Arrow keys move the selection by 1 mm; nothing is recorded for undo.
    for (int i = 1; i < doc.items.size(); ++i) {
        if (!doc.items[i].selected)
            continue;
        doc.items[i].centerX += step.x();
        doc.items[i].centerY += step.y();
    }
    if (doc.currentTool == kToolScale)
        ToolButtonClick(kBtnScale);
    pending.properties |= arrow;
    pending.canvas = pending.thumbnail = true;
    out.merge(takeChanges());
    return true;
}

ChangeSet EditorCore::FormKeyUp()
{
    doc.ctrlReleased = true;
    return takeChanges();
}

} // namespace qv

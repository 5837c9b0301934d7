// Tool state and tool buttons of the editor.
#include "EditorCore.h"
#include "Numbers.h"
#include "PageRenderer.h"
#include "SelectionGeometry.h"
#include "Unit2.h"

namespace qv {

void ChangeSet::merge(const ChangeSet& o)
{
    canvas |= o.canvas;
    thumbnail |= o.thumbnail;
    properties |= o.properties;
    tools |= o.tools;
    zoom |= o.zoom;
    focusStrip |= o.focusStrip;
    if (o.alignMenu)
        alignMenu = o.alignMenu;
    if (o.cursor)
        cursor = o.cursor;
}

EditorCore::EditorCore(TForm2& d, TMainState& s, PageRenderer& v) : doc(d), st(s), view(v)
{
    st.window.refreshToolButtons = [this] { refreshToolButtons(); };
    st.window.selectSelectionTool = [this] { returnToSelectTool(); };
    // Drawing a text asks whether it leaves the selection and then moves the scale anchor.
    view.freeScalingActive = [this] { return freeScalingActive(); };
    view.reanchorScale = [this] { reanchorScale(); };
}

QPoint EditorCore::origin() const { return {view.cPosX(), view.cPosY()}; }

ChangeSet EditorCore::takeChanges()
{
    ChangeSet c = pending;
    pending = ChangeSet();
    return c;
}

int EditorCore::downButton() const
{
    switch (doc.currentTool) {
    case kToolText: return kBtnText;
    case kToolRect: return kBtnRect;
    case kToolEllipse: return kBtnEllipse;
    case kToolScale: return kBtnScale;
    case kToolRotate: return kBtnRotate;
    case kToolScroll: return kBtnScroll;
    default: return kBtnSelect;
    }
}

void EditorCore::setTool(int32_t tool)
{
    doc.currentTool = tool;
    pending.tools = true;
}

void EditorCore::toolmask()
{
    itemToolsEnabled = false;
    rotateEnabled = false;
    pending.tools = true;
    st.window.maskPanelButtons();
}

void EditorCore::toolshow()
{
    itemToolsEnabled = true;
    rotateEnabled = true;
    updateRotateButton();
    pending.tools = true;
}

void EditorCore::updateRotateButton()
{
    if (!doc.anySelected)
        return;
    int n = 0;
    for (int i = 1; i < doc.items.size(); ++i)
        n += doc.items[i].selected ? 1 : 0;
    rotateEnabled = n == 1;
}

void EditorCore::refreshToolButtons()
{
    if (doc.anySelected)
        toolshow();
    else
        toolmask();
}

void EditorCore::selectToolClick()
{
    doc.notSelect();
    setTool(kToolSelect);
    st.view.scaleArmedByHover = false;
    pending.canvas = true;
}

bool EditorCore::freeScalingActive() const { return doc.currentTool == kToolScale && !doc.ctrlReleased; }

void EditorCore::reanchorScale()
{
    const SelBounds b = selectionBoundsOf(doc);
    const double a = doc.amp();
    st.view.handlePoint = QPoint(nearest(b.L * a) + origin().x(), nearest(b.T * a) + origin().y());
}

void EditorCore::returnToSelectTool()
{
    if (doc.currentTool == kToolScroll)
        return;
    selectToolClick();
}

ChangeSet EditorCore::ToolButtonClick(int button)
{
    switch (button) {
    case kBtnSelect:
        selectToolClick();
        break;
    case kBtnText: setTool(kToolText); break;
    case kBtnRect: setTool(kToolRect); break;
    case kBtnEllipse: setTool(kToolEllipse); break;
    case kBtnScale:
        setTool(kToolScale);
        reanchorScale();
        break;
    case kBtnRotate: setTool(kToolRotate); break;
    case kBtnScroll:
        doc.notSelect();
        setTool(kToolScroll);
        break;
    case kBtnFront:
    case kBtnBack:
        button == kBtnFront ? doc.LFItem() : doc.LBItem();
        setTool(kToolSelect);
        pending.thumbnail = true;
        returnToSelectTool();
        break;
    case kBtnDelete:
    case kBtnUndo:
        st.busy.hourglass(true);
        button == kBtnDelete ? doc.deleteItem() : doc.undo(doc.undoLevel);
        setTool(kToolSelect);
        doc.notSelect();
        pending.thumbnail = true;
        returnToSelectTool();
        st.busy.hourglass(false);
        break;
    case kBtnZoomIn:
    case kBtnZoomOut:
        if (doc.currentTool == kToolScale)
            ToolButtonClick(kBtnScale);
        button == kBtnZoomIn ? doc.ampL() : doc.ampS();
        pending.zoom = true;
        returnToSelectTool();
        break;
    default:
        break;
    }
    pending.canvas = true;
    return takeChanges();
}

} // namespace qv

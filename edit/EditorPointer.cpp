// Press, move, release and double-click on the editor canvas.
#include "Dialogs.h"
#include "EditorCore.h"
#include "ItemGeometry.h"
#include "Numbers.h"
#include "PageRenderer.h"
#include "SelectionGeometry.h"
#include "Unit2.h"

namespace qv {

ChangeSet EditorCore::MPLabelMouseDown(const PointerInput& in)
{
    doc.bandArmed = false;
    doc.pressPoint = relative(in.pos);
    doc.pointerPoint = doc.pressPoint;
    doc.buttonDown = true;
    st.view.textDialogOpened = false;
    pending.canvas = true;
    if (doc.currentTool != kToolSelect && doc.currentTool != kToolText) {
        if (doc.currentTool == kToolRotate && !refuseRotation())
            updateDragPreview();
        return takeChanges();
    }
    bool textEdited = false;
    const int hit = hitItemAt(doc.pressPoint, textEdited, in);
    if (textEdited) {
        // The modal text dialog took the button's release: the gesture ends where it began.
        ChangeSet c = takeChanges();
        c.merge(MPLabelMouseUp(in));
        return c;
    }
    if (hit > 0)
        pressOnItem(hit, in);
    else
        pressOnEmpty();
    return takeChanges();
}

int EditorCore::hitItemAt(QPoint rel, bool& textEdited, const PointerInput& in)
{
    const double a = doc.amp();
    int hit = 0;
    for (int i = 1; i < doc.items.size(); ++i) {
        TItemStatus& it = doc.items[i];
        doc.anySelected = doc.anySelected || it.selected;
        it.screenX = nearest(a * it.centerX);
        it.screenY = nearest(a * it.centerY);
        if (!windingContains(itemPolygon(it, a, 0, 0), rel))
            continue;
        hit = i;
        pending.focusStrip = true;
        if (it.kind == kKindText && (in.dbl || doc.currentTool == kToolText)) {
            editTextInPlace(i);
            textEdited = true;
            return i;
        }
    }
    return hit;
}

void EditorCore::pressOnItem(int hit, const PointerInput& in)
{
    toolshow();
    pending.alignMenu = true;
    if (in.shift)
        doc.notSelect();
    TItemStatus& it = doc.items[hit];
    if (in.ctrl) {
        it.selected = false;
        doc.setItemSelect();
        // Removing the last selected item leaves nothing selected, as a click on empty canvas.
        if (!doc.anySelected) {
            doc.bandArmed = true;
            toolmask();
            pending.alignMenu = false;
        } else {
            updateRotateButton();
        }
        return;
    }
    doc.freshSelect = !it.selected;
    it.selected = true;
    doc.anySelected = true;
    // A Shift-click cleared the selection (and with it the item tools) on the way.
    toolshow();
}

void EditorCore::pressOnEmpty()
{
    doc.notSelect();
    doc.bandArmed = true;
    toolmask();
    pending.alignMenu = false;
}

bool EditorCore::refuseRotation()
{
    for (int i = 1; i < doc.items.size(); ++i) {
        const TItemStatus& it = doc.items[i];
        if (it.selected && it.kind == kKindImage && (it.width > maxRotateSize || it.height > maxRotateSize)) {
            doc.buttonDown = false;
            dialogs().showmess(QStringLiteral("幅または高さが") + QString::number(nearest(maxRotateSize / 10.0)) +
                               QStringLiteral("mmを超える画像は回転できません。"));
            returnToSelectTool();
            return true;
        }
    }
    return false;
}

void EditorCore::updateDragPreview()
{
    const SelBounds b = selectionBoundsOf(doc);
    const double a = doc.amp();
    if (doc.currentTool == kToolScale && doc.anySelected) {
        // With Ctrl held the texts have left the selection when they were last drawn.
        const ScaleRatios r = scaleRatiosFor(b, a, doc.pointerPoint, !doc.ctrlReleased);
        st.view.scaleRatioX = r.x;
        st.view.scaleRatioY = r.y;
    } else if (doc.currentTool == kToolRotate && doc.anySelected) {
        st.view.handlePoint = rotationCentre(b, a, origin().x(), origin().y());
        st.view.rotationDelta = sweptAngle(st.view.handlePoint, doc.pressPoint + origin(), doc.pointerPoint + origin());
    }
}

ChangeSet EditorCore::MPLabelMouseMove(const PointerInput& in, bool buttonHeld)
{
    doc.pointerPoint = relative(in.pos);
    if (doc.currentTool == kToolScroll && doc.buttonDown && buttonHeld) {
        const double a = doc.amp();
        view.scrollX += nearest((doc.pointerPoint.x() - doc.pressPoint.x()) / a);
        view.scrollY += nearest((doc.pointerPoint.y() - doc.pressPoint.y()) / a);
    }
    if (doc.buttonDown && buttonHeld) {
        updateDragPreview();
        pending.canvas = true;
        return takeChanges();
    }
    if (doc.currentTool == kToolSelect || st.view.scaleArmedByHover)
        hoverCorner(doc.pointerPoint);
    return takeChanges();
}

void EditorCore::hoverCorner(QPoint rel)
{
    const SelBounds b = selectionBoundsOf(doc);
    const double a = doc.amp();
    if (doc.anySelected)
        st.view.handlePoint = QPoint(nearest(a * b.L) + origin().x(), nearest(a * b.T) + origin().y());
    const bool inCorner = doc.anySelected && inResizeCorner(b, a, rel);
    const int32_t tool = inCorner ? kToolScale : kToolSelect;
    if (tool != doc.currentTool)
        setTool(tool);
    st.view.scaleArmedByHover = inCorner;
    pending.cursor = inCorner ? EditorCursor::SizeDiagonal : EditorCursor::Default;
    pending.canvas = true;
}

ChangeSet EditorCore::MPLabelMouseUp(const PointerInput& in)
{
    doc.buttonDown = false;
    const QPoint rel = relative(in.pos);
    releaseSide(in.pos);
    releaseMove(rel);
    if (doc.currentTool == kToolSelect || doc.currentTool == kToolText)
        releaseBand(rel);
    if (doc.currentTool == kToolText || doc.currentTool == kToolRect || doc.currentTool == kToolEllipse)
        releaseCreate(rel);
    if (doc.currentTool == kToolScale) {
        st.window.clearFontSizeChoice();
        applyScale(doc, st.view.scaleRatioX, st.view.scaleRatioY);
        doc.anySelected = true;
        returnToSelectTool();
        toolshow();
    }
    if (doc.currentTool == kToolRotate)
        releaseRotate();
    releaseTail();
    return takeChanges();
}

void EditorCore::releaseTail()
{
    doc.buttonDown = false;
    st.view.scaleRatioX = st.view.scaleRatioY = 1.0;
    st.view.rotationDelta = 0;
    doc.freshSelect = true;
    doc.bandArmed = false;
    pending.canvas = pending.thumbnail = pending.properties = true;
}

ChangeSet EditorCore::releaseTaken()
{
    releaseTail();
    return takeChanges();
}

void EditorCore::releaseSide(QPoint pos)
{
    if (doc.currentPage == 0)
        return;
    st.window.selectPageRect(doc.whatPageNo(doc.currentPage), false);
    st.editSide = pos.x() > origin().x() ? 2 : 1;
    if (doc.currentPage == 1)
        st.editSide = 2;
    else if (doc.isDblPMax())
        st.editSide = 1;
    st.window.selectPageRect(doc.whatPageNo(doc.currentPage), true);
}

void EditorCore::releaseMove(QPoint rel)
{
    const QPoint travel = rel - doc.pressPoint;
    if (doc.currentTool == kToolSelect && (std::abs(travel.x()) > 2 || std::abs(travel.y()) > 2))
        doc.freshSelect = false;
    if (doc.freshSelect || doc.currentTool == kToolScale)
        return;
    if (doc.anySelected)
        doc.mement(1);
    const double a = doc.amp();
    for (int i = 1; i < doc.items.size(); ++i) {
        TItemStatus& it = doc.items[i];
        if (!it.selected)
            continue;
        it.centerX = nearest((it.screenX + travel.x()) / a);
        it.centerY = nearest((it.screenY + travel.y()) / a);
    }
}

void EditorCore::releaseBand(QPoint rel)
{
    if (!doc.bandArmed)
        return;
    const QRect band = spanRect(doc.pressPoint, rel);
    const double a = doc.amp();
    for (int i = 1; i < doc.items.size(); ++i) {
        TItemStatus& it = doc.items[i];
        const int cx = nearest(a * it.centerX), cy = nearest(a * it.centerY);
        const int hw = truncDiv(nearest(a * it.width), 2), hh = truncDiv(nearest(a * it.height), 2);
        if (cx - hw >= band.left() && cx + hw <= band.right() && cy - hh >= band.top() && cy + hh <= band.bottom()) {
            it.selected = true;
            doc.anySelected = true;
        }
    }
    if (doc.anySelected)
        toolshow();
}

bool EditorCore::pageFull()
{
    if (!doc.CountPageITEM(kMaxPageItems))
        return false;
    dialogs().showmess(kMsgMaxExceeded);
    ToolButtonClick(kBtnSelect);
    return true;
}

void EditorCore::releaseCreate(QPoint rel)
{
    if (pageFull())
        return;
    if (doc.currentTool == kToolText) {
        if (!st.view.textDialogOpened)
            doc.addText(rel.x(), rel.y(), kNewTextCaption);
    } else {
        doc.addRect(QRect(doc.pressPoint, rel), doc.currentTool == kToolRect);
        doc.anySelected = true;
    }
    returnToSelectTool();
    toolshow();
}

void EditorCore::releaseRotate()
{
    applyRotation(doc, st.view.rotationDelta);
    doc.anySelected = true;
    returnToSelectTool();
    toolshow();
}

ChangeSet EditorCore::MPLabelDblClick(const PointerInput&)
{
    // Only a double-click on empty canvas hides the guides, not one whose text dialog emptied
    // and so deleted the text.
    if (!doc.anySelected && !st.view.textDialogOpened) {
        doc.hideGuides = !doc.hideGuides;
        pending.canvas = true;
    }
    return takeChanges();
}

} // namespace qv

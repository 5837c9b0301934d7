// Scaling and turning the selection, and the text edited in place through the text dialog.
#include "Dialogs.h"
#include "EditorCore.h"
#include "Numbers.h"
#include "SelectionGeometry.h"
#include "TextExchange.h"
#include "Unit2.h"
#include <cmath>

namespace qv {

namespace {
struct Edges {
    int32_t left, right, top, bottom;
};

Edges scaledEdges(const TItemStatus& it, const SelBounds& b, double rx, double ry)
{
    const double hw = nonZero(it.width / 2.0), hh = nonZero(it.height / 2.0);
    return {nearest(b.L + rx * (it.centerX - hw - b.L)), nearest(b.L + rx * (it.centerX + hw - b.L)),
            nearest(b.T + ry * (it.centerY - hh - b.T)), nearest(b.T + ry * (it.centerY + hh - b.T))};
}

bool sizeAllowed(int32_t v) { return v >= 10 && v <= 9999; }
} // namespace

void applyScale(TForm2& doc, double ratioX, double ratioY)
{
    doc.mement(1);
    const SelBounds b = selectionBoundsOf(doc);
    for (int i = 1; i < doc.items.size(); ++i) {
        const TItemStatus& it = doc.items[i];
        if (!it.selected)
            continue;
        const Edges e = scaledEdges(it, b, ratioX, ratioY);
        if (!sizeAllowed(e.right - e.left) || !sizeAllowed(e.bottom - e.top))
            return;
    }
    for (int i = 1; i < doc.items.size(); ++i) {
        TItemStatus& it = doc.items[i];
        if (!it.selected)
            continue;
        const Edges e = scaledEdges(it, b, ratioX, ratioY);
        const int32_t w = e.right - e.left, h = e.bottom - e.top;
        if (it.kind == kKindText) {
            const bool vertical = it.fontName.startsWith(QLatin1Char('@'));
            const double f = vertical ? std::abs(w) / nonZero(it.width) : std::abs(h) / nonZero(it.height);
            it.lineSpacing = nearest(it.lineSpacing * f);
            it.fontSize = nearest(it.fontSize * f);
        }
        it.centerX = nearest(nonZero(w) / 2 + e.left);
        it.centerY = nearest(nonZero(h) / 2 + e.top);
        it.width = w;
        it.height = h;
    }
}

void applyRotation(TForm2& doc, double delta)
{
    const int32_t d = nearest(delta);
    for (int i = 1; i < doc.items.size(); ++i) {
        TItemStatus& it = doc.items[i];
        if (!it.selected)
            continue;
        it.angle += d;
        if (it.angle > 359)
            it.angle %= 360;
        if (it.angle < 0)
            it.angle += 360;
    }
}

void EditorCore::editTextInPlace(int index)
{
    doc.notSelect();
    doc.items[index].selected = true;
    doc.anySelected = true;
    st.view.textDialogOpened = true;
    TextDialogValues v = textDialogValuesFor(doc.items[index]);
    // The press ends in a modal dialog: the release that follows belongs to it.
    doc.buttonDown = false;
    if (dialogs().textEntry(v) && applyTextDialogValues(doc, index, v))
        pending.properties = true;
    pending.canvas = pending.thumbnail = true;
}

} // namespace qv

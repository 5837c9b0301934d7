#pragma once
// Items for tests, in spread coordinates and page units.
#include "QorDef.h"

namespace qv::test {

/// An unselected item of a kind; colour 0x00BBGGRR. A text item gets the default face, a
/// one-line size of its height and a caption.
inline TItemStatus makeItem(int32_t kind, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t color = 0,
                            int32_t angle = 0)
{
    TItemStatus it;
    it.kind = kind;
    it.centerX = x;
    it.centerY = y;
    it.width = w;
    it.height = h;
    it.angle = angle;
    it.color = color;
    it.selected = false;
    if (kind == kKindText) {
        it.fontName = kDefaultFontName;
        it.fontSize = h;
        it.lineSpacing = h;
        it.text = kNewTextCaption;
    }
    return it;
}

} // namespace qv::test

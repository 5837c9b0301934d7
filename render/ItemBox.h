#pragma once
// The pixel box of an item on a drawing target, shared by the item walk and the photo drawing.
#include "PageRenderer.h"
#include <QColor>

namespace qv {

struct ItemBox {
    int32_t x, y, w, h;               // centre relative to the origin, and size, in pixels
    int32_t left, top, right, bottom; // around the centre by integer halves
};

/// @brief The item's box on the target, placed at the current originX and originY.
inline ItemBox itemPixelBox(const PageRenderer& r, int target, const TItemStatus& item)
{
    ItemBox b;
    b.x = r.toPxX(target, item.centerX);
    b.y = r.toPxY(target, item.centerY);
    b.w = r.toPxX(target, item.width);
    b.h = r.toPxY(target, item.height);
    b.left = r.st.originX + b.x - b.w / 2;
    b.top = r.st.originY + b.y - b.h / 2;
    b.right = r.st.originX + b.x + b.w / 2;
    b.bottom = r.st.originY + b.y + b.h / 2;
    return b;
}

/// @brief A 0x00BBGGRR item colour for drawing (the palette-relative flag is ignored).
inline QColor itemQColor(uint32_t c) { return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)); }

} // namespace qv

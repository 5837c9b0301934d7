// Creating, copying, deleting, selecting and restacking the items of the current page.
#include "BookTypes.h"
#include "Numbers.h"
#include "Unit2.h"
#include <limits>

namespace qv {

void TForm2::addItem()
{
    notSelect();
    TItemStatus it;
    it.lineColor = defaultItemColor;
    items.append(it);
    anySelected = true;
}

int32_t TForm2::pagePlacementWidth() const
{
    const auto s = bookSizes(bookType);
    return s ? s->pageWidth : pageWidth;
}

namespace {
// Half the page width without the binding strip: the centre of one page of a spread.
int32_t sideCentre(int32_t pageW, int32_t margin) { return truncDiv(pageW - margin, 2); }
} // namespace

void TForm2::addImg(int x, int y)
{
    const int r = main.window.photoStripRow();
    if (r < 0 || r >= main.pool.size())
        return;
    const TInfos entry = main.pool.at(r);
    addItem();
    TItemStatus& it = items.last();
    it.kind = kKindImage;
    it.color = kColorWhite;
    it.text = entry.name + QString::number(items.size());
    it.keyColor = kImageKeyColor;
    it.poolIndex = uint32_t(r);
    it.fromPicture = entry.isPicture;

    TBigBitmap full = loadPoolImage ? loadPoolImage(r) : TBigBitmap();
    TBigBitmap thumb = loadPoolThumb ? loadPoolThumb(r) : TBigBitmap();
    if (full.isNull() || thumb.isNull())
        full = thumb = placeholder;
    main.cache.addImage(full);
    main.cache.THaddImage(thumb);
    it.imageSlot = main.cache.imageCount();
    placeNewImage(it, x, y, full.width(), full.height());
}

void TForm2::placeNewImage(TItemStatus& it, int x, int y, int w, int h)
{
    const double P = pagePlacementWidth();
    const double a = double(w) / nonZero(h);
    const double b = double(h) / nonZero(w);
    const bool onPage = currentPage > 0;
    if (it.fromPicture) {
        it.width = w / 2;
        it.height = h / 2;
    } else if (onPage) {
        it.width = h < w ? nearest(0.7 * P) : nearest(0.7 * P * a);
        it.height = h < w ? nearest(0.7 * P * b) : nearest(0.7 * P);
    } else if (0.8 < a && a < 1.2) {
        it.width = nearest(0.4 * P);
        it.height = nearest(0.4 * P * b);
    } else if (h < w) {
        it.width = 1490;
        it.height = nearest(1490 * b);
    } else {
        it.width = nearest(0.8 * P * a);
        it.height = nearest(0.8 * P);
    }

    int32_t xOff = 0, yOff = 0;
    if (x == 0 && y == 0) {
        x = main.originX;
        y = main.originY;
        const int32_t margin = bindingMargin(bookType).value_or(0);
        if (onPage) {
            yOff = -70;
            if (main.editSide == 2)
                xOff = sideCentre(int32_t(P), margin);
            else if (main.editSide == 1)
                xOff = -sideCentre(int32_t(P), margin);
            else
                xOff = isDblPMax() ? -70 : currentPage == 1 ? 70 : 0;
        } else if (0.8 < a && a < 1.2) {
            xOff = 200;
            yOff = -70;
        } else {
            xOff = 130;
            yOff = a > 2 ? -70 : truncDiv(it.height, 2) - 690;
        }
    }
    it.centerX = xOff + nearest((x - main.originX) / amp());
    it.centerY = nearest((y - main.originY) / amp()) + yOff;
    while (sameCenterExists(it.centerX, it.centerY)) {
        it.centerX += 40;
        it.centerY += 40;
    }
}

void TForm2::addText(int x, int y, const QString& text)
{
    mement(1);
    addItem();
    TItemStatus& it = items.last();
    it.kind = kKindText;
    it.color = textColor;
    // Only single-line texts are placed this way: keep what stands before a line break.
    QString t = text.section(QStringLiteral("\r\n"), 0, 0);
    if (t.isEmpty() || t == QStringLiteral(" "))
        t = kNewTextCaption;
    it.text = t;
    it.textAlign = 0;
    it.fontName = kDefaultFontName;
    it.height = 35;
    it.fontSize = 35;
    it.lineSpacing = 53;
    it.width = nearest(textWidthPx(t) / amp());
    if (x != 0)
        it.centerX = nearest(x / amp());
    if (y != 0)
        it.centerY = nearest(y / amp());
    if (x == 0 && y == 0) {
        it.centerY = 500;
        if (currentPage > 0) {
            const int32_t half = sideCentre(pagePlacementWidth(), bindingMargin(bookType).value_or(0));
            it.centerX = main.editSide == 2 ? half : main.editSide == 1 ? -half : 0;
        } else {
            it.centerX = 180;
        }
    }
    while (sameCenterExists(it.centerX, it.centerY))
        it.centerY += 60;
}

void TForm2::addRect(QRect px, bool rectangle)
{
    mement(1);
    addItem();
    TItemStatus& it = items.last();
    it.kind = rectangle ? kKindRect : kKindEllipse;
    it.color = shapeColor;
    it.text = kShapeCaption + QString::number(items.size());

    const int left = std::min(px.left(), px.right()), right = std::max(px.left(), px.right());
    const int top = std::min(px.top(), px.bottom()), bottom = std::max(px.top(), px.bottom());
    int w, h;
    if (right - left > 1) {
        w = right - left;
        h = std::max(bottom - top, 2);
    } else if (bottom - top > 1) {
        w = 2;
        h = bottom - top;
    } else {
        w = items[0].width;
        h = items[0].height;
    }
    it.centerX = nearest((w / 2 + left) / amp());
    it.centerY = nearest((h / 2 + top) / amp());
    it.width = nearest(w / amp());
    it.height = nearest(h / amp());
    // The pixel size of the last shape, for the next click without a drag.
    items[0].width = nearest(amp() * it.width);
    items[0].height = nearest(amp() * it.height);
}

void TForm2::setCopyItems()
{
    for (int i = 1; i < items.size(); ++i)
        if (items[i].selected)
            items[i].copyMark = true;
}

void TForm2::copyItems()
{
    mement(1);
    const int n = int(items.size());
    for (int i = 1; i < n; ++i) {
        const int32_t k = items[i].kind;
        if (!items[i].copyMark || !(k == kKindText || k == kKindEllipse || k == kKindRect))
            continue;
        items[i].copyMark = false;
        TItemStatus c = items[i];
        c.centerX += 50;
        c.centerY += 50;
        c.selected = false;
        c.copyMark = false;
        items.append(c);
    }
}

void TForm2::deleteItem()
{
    main.busy.hourglass(true);
    mement(2);
    int i = 1;
    while (i < items.size()) {
        if (!items[i].selected) {
            ++i;
            continue;
        }
        if (items[i].kind == kKindImage) {
            const int32_t slot = items[i].imageSlot;
            for (TItemStatus& other : items)
                if (other.imageSlot > slot)
                    --other.imageSlot;
            main.cache.imgPopPush(slot);
        }
        items.remove(i);
    }
    anySelected = false;
    main.window.refreshToolButtons();
    main.busy.hourglass(false);
}

void TForm2::allSelect()
{
    for (int i = 1; i < items.size(); ++i)
        items[i].selected = true;
    anySelected = items.size() > 1;
}

void TForm2::notSelect()
{
    for (TItemStatus& it : items)
        it.selected = false;
    anySelected = false;
    freshSelect = true;
    main.window.refreshToolButtons();
}

void TForm2::setItemSelect()
{
    anySelected = false;
    for (int i = 1; i < items.size(); ++i)
        anySelected = anySelected || items[i].selected;
}

void TForm2::LFItem()
{
    mement(1);
    const int n = itemCount();
    int i = 1;
    for (int visited = 0; visited < n; ++visited) {
        if (items[i].selected) {
            const TItemStatus moving = items[i];
            items[0] = moving; // the scratch element holds the item in transit
            items.remove(i);
            items.append(moving);
        } else {
            ++i;
        }
    }
}

void TForm2::LBItem()
{
    mement(1);
    int run = 0;
    while (run < itemCount() && items[run + 1].selected)
        ++run;
    int moved = 0;
    int i = itemCount();
    while (i > run + moved) {
        if (items[i].selected) {
            const TItemStatus moving = items[i];
            items[0] = moving;
            items.remove(i);
            items.insert(run + 1, moving);
            ++moved;
        } else {
            --i;
        }
    }
}

void TForm2::FontTateYoko(bool horizontalDown, bool verticalDown)
{
    for (int i = itemCount(); i >= 1; --i) {
        TItemStatus& it = items[i];
        if (!it.selected || it.kind != kKindText)
            continue;
        const bool vertical = it.fontName.startsWith('@');
        if (vertical && horizontalDown)
            it.fontName.remove(0, 1);
        else if (!vertical && verticalDown)
            it.fontName.prepend('@');
        else
            continue;
        std::swap(it.width, it.height);
    }
}

ItemRect TForm2::SelectMaxRect() const
{
    double l = std::numeric_limits<int32_t>::max(), t = l;
    double r = -double(std::numeric_limits<int32_t>::max()), b = r;
    for (int i = 1; i < items.size(); ++i) {
        const TItemStatus& it = items[i];
        if (!it.selected)
            continue;
        l = std::min(l, it.centerX - it.width / 2.0);
        t = std::min(t, it.centerY - it.height / 2.0);
        r = std::max(r, it.centerX + it.width / 2.0);
        b = std::max(b, it.centerY + it.height / 2.0);
    }
    return {nearest(l), nearest(t), nearest(r), nearest(b)};
}

namespace {
struct SideCount {
    int side = 0;
    int total = 0;
};
} // namespace

static SideCount countOnSide(const TItemList& items, int editSide, bool imagesOnly)
{
    SideCount c;
    for (int i = 1; i < items.size(); ++i) {
        const TItemStatus& it = items[i];
        if (imagesOnly && it.kind != kKindImage)
            continue;
        ++c.total;
        if ((editSide == 2 && it.centerX >= 0) || (editSide == 1 && it.centerX < 0))
            ++c.side;
    }
    return c;
}

static bool limitReached(const SideCount& c, bool spread, int editSide, int limit)
{
    if (!spread)
        return c.total >= limit;
    if (editSide == 0)
        return c.total >= 2 * limit;
    return c.side >= limit || c.total >= 2 * limit;
}

bool TForm2::CountPageImg(int limit) const
{
    return limitReached(countOnSide(items, main.editSide, true), isDouble(), main.editSide, limit);
}

bool TForm2::CountPageITEM(int limit) const
{
    return limitReached(countOnSide(items, main.editSide, false), isDouble(), main.editSide, limit);
}

bool TForm2::sameCenterExists(int32_t x, int32_t y) const
{
    int n = 0;
    for (int i = 1; i < items.size(); ++i)
        if (items[i].centerX == x && items[i].centerY == y)
            ++n;
    return n >= 2;
}

int TForm2::countImages() const
{
    int n = 0;
    for (int i = 1; i < items.size(); ++i)
        if (items[i].kind == kKindImage)
            ++n;
    return n;
}

} // namespace qv

// Page geometry of the document: page size, spread rules, type codes, rescaling, zoom.
#include "BookTypes.h"
#include "Numbers.h"
#include "Unit2.h"
#include <algorithm>
#include <limits>

namespace qv {

void TForm2::setQorType()
{
    const auto s = bookSizes(bookType);
    if (!s)
        return;
    pageWidth = currentPage == 0 ? s->coverWidth : s->pageWidth;
    pageHeight = currentPage == 0 ? s->coverHeight : s->pageHeight;
}

bool TForm2::isDouble() const { return spreadMode && currentPage > 0; }

bool TForm2::isDblPMax() const
{
    return spreadMode && currentPage > 1 && currentPage + 1 == main.navEntryCount;
}

int32_t TForm2::whatPageNo(int32_t n) const
{
    if (!spreadMode || n <= 1)
        return n;
    return main.editSide == 2 ? 2 * n - 1 : 2 * n - 2;
}

void TForm2::typeFromCode(const QString& code)
{
    if (const BookType* t = findBookTypeByCode(code))
        bookType = t->key;
}

void TForm2::codeFromType(const QString& key)
{
    if (const BookType* t = findBookType(key))
        typeCode = t->code;
}

namespace {
bool scaled(int32_t& v, double ratio)
{
    const double r = std::nearbyint(v * ratio);
    if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
        return false;
    v = static_cast<int32_t>(r);
    return true;
}
} // namespace


bool rescaleItemList(TItemList& items, double ratio)
{
    TItemList out = items;
    for (TItemStatus& it : out)
        for (int32_t* v : {&it.centerX, &it.centerY, &it.width, &it.height, &it.fontSize, &it.lineSpacing})
            if (!scaled(*v, ratio))
                return false;
    items = std::move(out);
    return true;
}

void TForm2::rescaleItems(const QString& oldKey, const QString& newKey)
{
    const auto from = bookSizes(oldKey);
    const auto to = bookSizes(newKey);
    if (from && to)
        rescaleItemList(items, double(to->pageWidth) / double(from->pageWidth));
}

int32_t TForm2::zoomTable(int32_t level)
{
    static const int32_t table[9] = {0, 150, 100, 80, 60, 46, 35, 30, 26};
    return table[std::clamp(level, 1, 8)];
}

double TForm2::amp() const { return 1.0 / (zoomTable(zoomLevel) / 10.0); }

void TForm2::ampL()
{
    if (zoomLevel < 8)
        ++zoomLevel;
}

void TForm2::ampS()
{
    if (zoomLevel > 1)
        --zoomLevel;
}

} // namespace qv

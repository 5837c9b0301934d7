#include "NavigatorLayout.h"
#include "BookTypes.h"
#include "Numbers.h"
#include <algorithm>

namespace qv {
namespace {

constexpr int kRowGap = 17; // between one row's picture and the next, room for the labels

struct EndFrameWidths {
    int first; // entry 1: page 1 alone, on the right
    int last;  // entry N - 1: page 30 alone, on the left
};

EndFrameWidths endFrameWidths(const QString& routine, const NavigatorLayout& l)
{
    if (routine == QLatin1String("Cedar"))
        return {l.cw / 2 + 7, l.cw / 2 + 8};
    if (routine == QLatin1String("Fern S"))
        return {l.cw / 4 + 4, l.cw / 4 + 4};
    if (routine == QLatin1String("Reed"))
        return {l.pw - 3, l.pw - 2};
    return {l.cw / 2 + 2, l.cw / 2 + 3}; // Palm and Maple
}

QRect centred(int width, int height, int top) { return QRect(kNavCentreX - width / 2, top, width, height); }

} // namespace

int navEntryCountFor(int sheetCount, bool spreadMode)
{
    const int spread = (2 * sheetCount + 2) / 2 + 1;
    return spreadMode ? spread : spread - 1;
}

NavigatorLayout navigatorLayout(const QString& bookType, int entryCount, int sheetCount, bool spreadMode)
{
    NavigatorLayout l;
    const BookType* type = findBookType(bookType);
    const int n = std::clamp(entryCount, 0, kNavEntries);
    l.frames.resize(kNavEntries);
    l.pictures.resize(kNavEntries);
    l.entryShown.fill(false, kNavEntries);
    if (!type)
        return l;
    const BookSizes& z = type->sizes;
    const double s = type->navScale;
    l.scale = s;
    l.entryCount = n;
    l.reed = type->navigatorRoutine == QLatin1String("Reed");
    l.cw = nearest(s * z.coverWidth);
    l.ch = nearest(s * z.coverHeight);
    l.ph = nearest(s * z.pageHeight);
    l.pw = nearest(s * z.pageWidth) + (l.reed ? nearest(s * 2 * type->bindingMargin) : 0);
    l.startPage = l.reed ? 1 : 0;
    l.markedLabel = l.reed ? 1 : 0;
    l.labelCount = std::min(kNavLabels, (spreadMode ? 2 * sheetCount : sheetCount) + 1);

    // Rows below the cover start under it; without the cover entry they start at the top.
    const int shift = l.reed ? -l.ph : l.ch - l.ph;
    const int pitch = l.ph + kRowGap;
    l.scrollRange = pitch * n + shift + 3;
    for (int k = 0; k < n; ++k) {
        l.entryShown[k] = !(l.reed && k == 0);
        if (k == 0) {
            l.frames[k] = centred(l.cw + 2, l.ch + 2, 3);
            l.pictures[k] = centred(l.cw, l.ch, 4);
        } else {
            l.frames[k] = centred(2 * l.pw - 6, l.ph + 2, pitch * k + shift + 3);
            l.pictures[k] = centred(2 * l.pw - 8, l.ph, pitch * k + shift + 4);
        }
    }
    if (n >= 3) {
        const EndFrameWidths ends = endFrameWidths(type->navigatorRoutine, l);
        l.frames[1].setLeft(kNavCentreX);
        l.frames[1].setWidth(ends.first);
        l.frames[n - 1].setWidth(ends.last);
    }
    return l;
}

QString NavigatorLayout::labelText(int n) const
{
    const QString cover = QStringLiteral("表紙");
    if (reed) {
        if (n == 1)
            return cover;
        return n >= 2 ? QStringLiteral(" %1 ").arg(n - 1) : QString();
    }
    return n == 0 ? QLatin1Char(' ') + cover + QLatin1Char(' ') : QStringLiteral(" %1 ").arg(n);
}

bool NavigatorLayout::labelShown(int n) const
{
    return n >= 0 && n < labelCount && !(reed && n == 0);
}

QRect NavigatorLayout::labelRect(int n, QSize size) const
{
    const int centreX = n == 0 ? kNavCentreX : n % 2 ? kNavRightPageX : kNavLeftPageX;
    const int row = n == 0 ? 0 : n / 2 + 1;
    const int shift = reed ? -ph : ch - ph;
    const int top = (ph + kRowGap) * (row + 1) + shift - size.height() / 2 - 5;
    return QRect(QPoint(centreX - size.width() / 2, top), size);
}

int navClickSide(int t, int pressX, int pictureWidth, int entryCount, bool spreadMode)
{
    if (!spreadMode || t == 0)
        return 0;
    if (t == 1)
        return 2;
    if (t == entryCount - 1)
        return 1;
    return pressX < pictureWidth / 2 ? 1 : 2;
}

bool navClickSwitches(int t, int currentPage, int side, int previousSide, bool printStep)
{
    return t != currentPage || (printStep && side != previousSide);
}

} // namespace qv

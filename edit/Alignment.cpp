#include "Alignment.h"
#include "Numbers.h"
#include <algorithm>
#include <limits>

namespace qv {

namespace {

struct Axis {
    bool horizontal;
    int32_t& centre(TItemStatus& it) const { return horizontal ? it.centerX : it.centerY; }
    int32_t centre(const TItemStatus& it) const { return horizontal ? it.centerX : it.centerY; }
    int32_t extent(const TItemStatus& it) const { return horizontal ? it.width : it.height; }
    // Edges as whole units, halves of the extent dropping their fraction.
    int64_t low(const TItemStatus& it) const { return int64_t(centre(it)) - extent(it) / 2; }
    int64_t high(const TItemStatus& it) const { return int64_t(centre(it)) + extent(it) / 2; }
};

int32_t clampUnits(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

/// Index of the selected item with the smallest low edge (lowest) or the greatest high edge;
/// the first in list order among equals; 0 when none is selected.
int extremeItem(const TItemList& items, const Axis& a, bool lowest)
{
    int best = 0;
    for (int i = 1; i < items.size(); ++i) {
        if (!items[i].selected)
            continue;
        if (best == 0 || (lowest ? a.low(items[i]) < a.low(items[best]) : a.high(items[i]) > a.high(items[best])))
            best = i;
    }
    return best;
}

void alignEdges(TItemList& items, const Axis& a, bool lowEdge)
{
    const int key = extremeItem(items, a, lowEdge);
    if (key == 0)
        return;
    const int64_t kc = a.centre(items[key]);
    const int64_t ke = a.extent(items[key]);
    for (int i = 1; i < items.size(); ++i) {
        if (!items[i].selected)
            continue;
        const int64_t shift = (ke - a.extent(items[i])) / 2;
        a.centre(items[i]) = clampUnits(lowEdge ? kc - shift : kc + shift);
    }
}

void centreItems(TItemList& items, const Axis& a)
{
    const int first = extremeItem(items, a, true);
    const int last = extremeItem(items, a, false);
    if (first == 0)
        return;
    const int32_t mid = clampUnits((int64_t(a.centre(items[first])) + a.centre(items[last])) / 2);
    for (int i = 1; i < items.size(); ++i)
        if (items[i].selected)
            a.centre(items[i]) = mid;
}

struct Entry {
    int index;
    int32_t centre;
    int32_t extent;
    double realLow() const { return centre - extent / 2.0; }
    double realHigh() const { return centre + extent / 2.0; }
    int64_t low() const { return int64_t(centre) - extent / 2; }
};

QVector<Entry> sortedSelection(const TItemList& items, const Axis& a)
{
    QVector<Entry> list;
    for (int i = 1; i < items.size(); ++i)
        if (items[i].selected)
            list.append({i, a.centre(items[i]), a.extent(items[i])});
    for (int i = 0; i < list.size(); ++i)
        for (int j = i + 1; j < list.size(); ++j)
            if (list[j].low() < list[i].low())
                std::swap(list[i], list[j]);
    return list;
}

/// The entry that strictly spans another one along the axis, or -1.
int spanningEntry(const QVector<Entry>& list)
{
    for (int i = 0; i < list.size(); ++i)
        for (int j = 0; j < list.size(); ++j)
            if (i != j && list[i].realLow() < list[j].realLow() && list[i].realHigh() > list[j].realHigh())
                return i;
    return -1;
}

void distribute(TItemList& items, const Axis& a)
{
    QVector<Entry> list;
    // Each round deselects one spanning item, so this ends after at most one round per item.
    for (;;) {
        list = sortedSelection(items, a);
        if (list.size() < 2)
            return;
        const int spanning = spanningEntry(list);
        if (spanning < 0)
            break;
        items[list[spanning].index].selected = false;
    }
    const double span = list.back().realHigh() - list.front().realLow();
    double total = 0;
    for (const Entry& e : list)
        total += e.extent;
    const double gap = (span - total) / (list.size() - 1);
    for (int k = 1; k + 1 < list.size(); ++k) {
        const Entry& prev = list[k - 1];
        const int64_t step = nearest(gap + prev.extent / 2.0 + list[k].extent / 2.0);
        list[k].centre = clampUnits(step + prev.centre);
        a.centre(items[list[k].index]) = list[k].centre;
    }
}

} // namespace

void runAlignCommand(TItemList& items, AlignCommand command)
{
    const Axis h{true}, v{false};
    switch (command) {
    case AlignCommand::Left: alignEdges(items, h, true); break;
    case AlignCommand::CentreH: centreItems(items, h); break;
    case AlignCommand::Right: alignEdges(items, h, false); break;
    case AlignCommand::Top: alignEdges(items, v, true); break;
    case AlignCommand::CentreV: centreItems(items, v); break;
    case AlignCommand::Bottom: alignEdges(items, v, false); break;
    case AlignCommand::DistributeH: distribute(items, h); break;
    case AlignCommand::DistributeV: distribute(items, v); break;
    }
}

} // namespace qv

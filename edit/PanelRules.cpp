#include "PanelRules.h"
#include "Dialogs.h"
#include "FontSetup.h"
#include "PointSizes.h"
#include "TBigBitmap.h"
#include <cmath>
#include <limits>
#include <tuple>
#include <algorithm>

namespace qv {

namespace {

QString num(int64_t v) { return QString::number(v); }

/// What the fields show for one item: whole millimetres of its unturned box on the page.
struct Shown {
    int64_t x, y, width, height;
};

Shown shownMm(const TItemStatus& it, const PageRenderer& view)
{
    const QPoint corner = view.CnvPointToPage(it.centerX - nearest(it.width / 2.0), it.centerY - nearest(it.height / 2.0));
    return {nearest(corner.x() / 10.0), nearest(corner.y() / 10.0), nearest(it.width / 10.0), nearest(it.height / 10.0)};
}

bool sameKindAll(const QVector<const TItemStatus*>& sel)
{
    return std::all_of(sel.begin(), sel.end(), [&](const TItemStatus* it) { return it->kind == sel.front()->kind; });
}

void showTextSettings(PanelFields& f, const TItemStatus& it)
{
    const bool vertical = isVerticalFace(it.fontName);
    f.face = faceOf(it.fontName);
    f.fontSize = num(unitsToPoints(it.fontSize));
    f.lineSpacing = num(unitsToPoints(it.lineSpacing));
    f.direction = vertical ? Direction::Vertical : Direction::Horizontal;
    f.align = alignButtonFor(it.textAlign, vertical);
}

/// A field's content: empty, a whole number of the 32-bit range, or something else.
struct Field {
    bool empty = true;
    bool bad = false;
    int64_t value = 0;
};

Field parse(const QString& text)
{
    Field f;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return f;
    f.empty = false;
    bool ok = false;
    f.value = t.toInt(&ok);
    f.bad = !ok;
    return f;
}

struct ParsedFields {
    Field x, y, width, height, angle, size, spacing;
    bool bad() const
    {
        return x.bad || y.bad || width.bad || height.bad || angle.bad || size.bad || spacing.bad;
    }
};

ParsedFields parseAll(const PanelFields& f)
{
    ParsedFields p;
    p.x = parse(f.x);
    p.y = parse(f.y);
    if (f.sizeEnabled) {
        p.width = parse(f.width);
        p.height = parse(f.height);
    }
    p.angle = parse(f.angle);   // stored as typed, not brought into 0..359
    if (f.textEnabled) {
        p.size = parse(f.fontSize);
        p.spacing = parse(f.lineSpacing);
    }
    return p;
}

// What an item may measure and still be drawn: a page unit at least, positions and sizes whose
// pixels at the finest print resolution stay within pixel coordinates, and a photo's box there
// within the picture budget (a turned photo is stretched to its box before it is turned).
constexpr double kFinestDotsPerUnit = 600 / 254.0;
constexpr int64_t kMaxDrawableUnits = 400'000'000;

bool within(int64_t v) { return v >= -kMaxDrawableUnits && v <= kMaxDrawableUnits; }

// A text's box follows from its letters, so only its place is asked about.
bool drawable(const TItemStatus& it)
{
    if (!within(it.centerX) || !within(it.centerY))
        return false;
    if (it.kind == kKindText)
        return true;
    if (it.width < 1 || it.height < 1 || !within(it.width) || !within(it.height))
        return false;
    const auto dots = [](int32_t units) { return qint64(std::ceil(units * kFinestDotsPerUnit)); };
    return it.kind != kKindImage || pictureFits(dots(it.width), dots(it.height));
}

bool sameBox(const TItemStatus& a, const TItemStatus& b)
{
    return a.centerX == b.centerX && a.centerY == b.centerY && a.width == b.width && a.height == b.height;
}

/// The rules of one confirmation: with one item, a field that still shows what the item holds
/// leaves it as it is (confirming one field must not round the others' exact values to whole
/// millimetres or points); with several, the fields start empty and whatever is typed goes to all.
struct Rules {
    const PanelFields& f;
    const ParsedFields& p;
    bool several;
    bool takes(const Field& v, int64_t shown) const { return !v.empty && (several || v.value != shown); }
};

bool textSettings(TItemStatus& it, const Rules& r)
{
    const ParsedFields& p = r.p;
    if (r.takes(p.size, unitsToPoints(it.fontSize))) {
        if (p.size.value < 1 || p.size.value > kMaxPoints)
            return false;   // no letter to draw, or one far bigger than any page
        it.fontSize = pointsToUnits(double(p.size.value));
    }
    bool vertical = isVerticalFace(it.fontName);
    QString face = faceOf(it.fontName);
    if (r.f.direction != Direction::None)
        vertical = r.f.direction == Direction::Vertical;
    if (!r.f.face.isEmpty())
        face = r.f.face;
    it.fontName = vertical ? QLatin1Char('@') + face : face;
    if (r.f.align != AlignButton::None)
        it.textAlign = alignCode(r.f.align, vertical);
    if (r.takes(p.spacing, unitsToPoints(it.lineSpacing))) {
        if (p.spacing.value < 0 || p.spacing.value > kMaxPoints)
            return false;
        it.lineSpacing = pointsToUnits(double(p.spacing.value));
    }
    return true;
}

/// The item as the fields make it; nothing when a value cannot be stored or drawn.
std::optional<TItemStatus> planned(TItemStatus it, const PageRenderer& view, const Rules& r)
{
    const ParsedFields& p = r.p;
    const TItemStatus before = it;
    const Shown shown = shownMm(it, view);
    const int64_t cx = nearest(it.width / 2.0) + p.x.value * 10, cy = nearest(it.height / 2.0) + p.y.value * 10;
    if (!within(cx) || !within(cy))
        return std::nullopt;
    const QPoint centre = view.CnvPointToOrg(int32_t(cx), int32_t(cy));
    if (r.takes(p.x, shown.x))
        it.centerX = centre.x();
    if (r.takes(p.y, shown.y))
        it.centerY = centre.y();
    if (it.kind != kKindText) {
        for (auto [field, was, target] : {std::tuple{&p.width, shown.width, &it.width},
                                          std::tuple{&p.height, shown.height, &it.height}}) {
            if (!r.takes(*field, was))
                continue;
            if (!within(field->value * 10))
                return std::nullopt;
            *target = int32_t(field->value * 10);
        }
    }
    if (!p.angle.empty)
        it.angle = int32_t(p.angle.value);
    if (r.f.color)
        it.color = *r.f.color;
    if (it.kind == kKindText && r.f.textEnabled && !textSettings(it, r))
        return std::nullopt;
    if (!sameBox(before, it) && !drawable(it))
        return std::nullopt;
    return it;
}

} // namespace

int32_t alignCode(AlignButton button, bool vertical)
{
    switch (button) {
    case AlignButton::Start: return vertical ? 2 : 0;
    case AlignButton::Centre: return 4;
    case AlignButton::End: return vertical ? 3 : 1;
    case AlignButton::None: break;
    }
    return 0;
}

AlignButton alignButtonFor(int32_t code, bool vertical)
{
    for (AlignButton b : {AlignButton::Start, AlignButton::Centre, AlignButton::End})
        if (alignCode(b, vertical) == code)
            return b;
    return AlignButton::None;
}

std::optional<PanelFields> readPanel(const TForm2& doc, const PageRenderer& view)
{
    if (!doc.anySelected)
        return std::nullopt;
    QVector<const TItemStatus*> sel;
    for (int i = 1; i <= doc.itemCount(); ++i)
        if (doc.items[i].selected)
            sel << &doc.items[i];
    if (sel.isEmpty())
        return std::nullopt;
    const bool anyText = std::any_of(sel.begin(), sel.end(), [](const TItemStatus* it) { return it->kind == kKindText; });
    const bool allText = anyText && sameKindAll(sel);

    PanelFields f;
    f.textEnabled = allText;
    f.sizeEnabled = !anyText;
    if (sel.size() == 1) {
        const TItemStatus& it = *sel.front();
        const Shown shown = shownMm(it, view);
        f.x = num(shown.x);
        f.y = num(shown.y);
        if (!anyText) {
            f.width = num(shown.width);
            f.height = num(shown.height);
        }
        f.angle = num(it.angle);
        f.color = it.color;
        if (allText)
            showTextSettings(f, it);
    }
    return f;
}

ApplyOutcome applyPanel(TForm2& doc, const PageRenderer& view, const PanelFields& f)
{
    ApplyOutcome out;
    if (!doc.anySelected)
        return out;
    const ParsedFields p = parseAll(f);
    QVector<std::pair<int, TItemStatus>> next;
    for (int i = 1; i <= doc.itemCount(); ++i)
        if (doc.items[i].selected)
            next.append({i, doc.items[i]});
    const Rules rules{f, p, next.size() > 1};
    // Every item is worked out first: a value that cannot be stored or drawn changes none.
    for (auto& [index, item] : next) {
        const auto made = p.bad() ? std::nullopt : planned(item, view, rules);
        if (!made) {
            dialogs().error(kMsgPanelFailed);
            return out;
        }
        item = *made;
    }
    for (auto& [index, item] : next) {
        TItemStatus& it = doc.items[index];
        it = item;
        if (f.color)
            doc.shapeColor = *f.color;
        const bool tooBig = it.width > kMaxTurnablePhoto || it.height > kMaxTurnablePhoto;
        if (it.kind == kKindImage && tooBig && !p.angle.empty && p.angle.value != 0) {
            if (!out.turnRefused) // one message for the whole selection
                dialogs().showmess(kMsgNoTurnPrefix + num(nearest(kMaxTurnablePhoto / 10.0)) + kMsgNoTurnSuffix);
            it.angle = 0;
            out.turnRefused = true;
        }
    }
    out.applied = true;
    return out;
}

std::optional<double> selectedPhotoPpi(const TForm2& doc)
{
    std::optional<double> lowest;
    for (int i = 1; i <= doc.itemCount(); ++i) {
        const TItemStatus& it = doc.items[i];
        if (!it.selected || it.kind != kKindImage || it.imageSlot < 1 || it.imageSlot > 16)
            continue;
        const int w = doc.cacheWidth(it.imageSlot), h = doc.cacheHeight(it.imageSlot);
        if (w <= 0 || h <= 0 || it.width <= 0 || it.height <= 0)
            continue;
        // Page units are tenths of a millimetre: 254 of them make an inch.
        const double ppi = std::min(w * 254.0 / it.width, h * 254.0 / it.height);
        lowest = lowest ? std::min(*lowest, ppi) : ppi;
    }
    return lowest;
}

QString lowResolutionWarning(const TForm2& doc)
{
    const auto ppi = selectedPhotoPpi(doc);
    if (!ppi || *ppi >= kLowPpi)
        return {};
    return QStringLiteral("解像度が低いため、印刷が粗くなる可能性があります(約 %1 ppi)").arg(int(*ppi));
}

} // namespace qv

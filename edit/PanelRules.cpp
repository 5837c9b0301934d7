#include "PanelRules.h"
#include "Dialogs.h"
#include "FontSetup.h"
#include "PointSizes.h"
#include <QRegularExpression>
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

/// A field's content: empty, a whole number, or something else.
struct Field {
    bool empty = true;
    bool bad = false;
    int64_t value = 0;
};

Field parse(const QString& text, int64_t lo, int64_t hi)
{
    Field f;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return f;
    f.empty = false;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok) {
        // Digits beyond what a 64-bit number holds are still a number: held at the limit.
        static const QRegularExpression digits(QStringLiteral("^-?[0-9]+$"));
        f.bad = !digits.match(t).hasMatch();
        f.value = t.startsWith('-') ? lo : hi;
        return f;
    }
    f.value = std::clamp<int64_t>(v, lo, hi);
    return f;
}

/// A field that still shows what the item holds leaves the item as it is: confirming one
/// field must not round the others' exact values to whole millimetres or points.
bool changes(const Field& f, int64_t shown) { return !f.empty && f.value != shown; }

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
    p.x = parse(f.x, -kPlaceLimitMm, kPlaceLimitMm);
    p.y = parse(f.y, -kPlaceLimitMm, kPlaceLimitMm);
    if (f.sizeEnabled) {
        p.width = parse(f.width, kMinExtentMm, kMaxExtentMm);
        p.height = parse(f.height, kMinExtentMm, kMaxExtentMm);
    }
    // Any whole number of degrees is the same turn as one of 0 to 359.
    p.angle = parse(f.angle, 0, std::numeric_limits<int64_t>::max());
    p.angle.value %= 360;
    if (f.textEnabled) {
        p.size = parse(f.fontSize, 1, kMaxPoints);
        p.spacing = parse(f.lineSpacing, 0, kMaxPoints);
    }
    return p;
}

void applyTextSettings(TItemStatus& it, const PanelFields& f, const ParsedFields& p)
{
    if (changes(p.size, unitsToPoints(it.fontSize)))
        it.fontSize = pointsToUnits(double(p.size.value));
    bool vertical = isVerticalFace(it.fontName);
    QString face = faceOf(it.fontName);
    if (f.direction != Direction::None)
        vertical = f.direction == Direction::Vertical;
    if (!f.face.isEmpty())
        face = f.face;
    it.fontName = vertical ? QLatin1Char('@') + face : face;
    if (f.align != AlignButton::None)
        it.textAlign = alignCode(f.align, vertical);
    if (changes(p.spacing, unitsToPoints(it.lineSpacing)))
        it.lineSpacing = pointsToUnits(double(p.spacing.value));
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
    if (p.bad()) {
        dialogs().error(kMsgPanelFailed);
        return out;
    }
    for (int i = 1; i <= doc.itemCount(); ++i) {
        TItemStatus& it = doc.items[i];
        if (!it.selected)
            continue;
        const Shown shown = shownMm(it, view);
        const QPoint centre = view.CnvPointToOrg(nearest(it.width / 2.0) + int32_t(p.x.value * 10),
                                                 nearest(it.height / 2.0) + int32_t(p.y.value * 10));
        if (changes(p.x, shown.x))
            it.centerX = centre.x();
        if (changes(p.y, shown.y))
            it.centerY = centre.y();
        if (changes(p.width, shown.width) && it.kind != kKindText)
            it.width = int32_t(p.width.value * 10);
        if (changes(p.height, shown.height) && it.kind != kKindText)
            it.height = int32_t(p.height.value * 10);
        if (!p.angle.empty)
            it.angle = int32_t(p.angle.value);
        if (f.color) {
            it.color = *f.color;
            doc.shapeColor = *f.color;
        }
        if (it.kind == kKindText && f.textEnabled)
            applyTextSettings(it, f, p);
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

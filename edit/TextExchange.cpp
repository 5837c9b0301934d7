#include "TextExchange.h"
#include "Dialogs.h"
#include "FontSetup.h"
#include "PointSizes.h"
#include "Sjis.h"
#include <algorithm>

namespace qv {

namespace {

std::optional<int> wholeNumber(const QString& text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

/// The check messages of one number field, in the order they are tested.
struct NumberMessages {
    const QString& empty;
    const QString& notNumber;
    const QString& negative;
};

QString checkNumber(const QString& text, const NumberMessages& m, bool otherAllowed)
{
    if (text.trimmed().isEmpty())
        return m.empty;
    if (otherAllowed && text == kSizeOther)
        return {};
    const auto v = wholeNumber(text);
    if (!v)
        return m.notNumber;
    if (*v < 0)
        return m.negative;
    return {};
}

// A size is held between 1 point (0 would leave nothing to see) and the largest the fields take.
int32_t sizeUnits(const QString& text) { return pointsToUnits(std::clamp(*wholeNumber(text), 1, kMaxPoints)); }

} // namespace

TextDialogValues textDialogValuesFor(const TItemStatus& item)
{
    TextDialogValues v;
    v.dialogText = item.text;
    v.dialogVertical = isVerticalFace(item.fontName);
    v.dialogFace = faceOf(item.fontName);
    v.dialogLineSpacing = item.lineSpacing;
    const int64_t across = v.dialogVertical ? item.width : item.height;
    v.dialogCharSize = int32_t(across - int64_t(item.lineSpacing) * (item.lineCount - 1));
    v.directionToggled = false;
    v.editing = true;
    return v;
}

bool applyTextDialogValues(TForm2& doc, int index, const TextDialogValues& v)
{
    if (index < 1 || index > doc.itemCount())
        return false;
    if (v.dialogText.isEmpty()) {
        for (int i = 1; i <= doc.itemCount(); ++i)
            doc.items[i].selected = i == index;
        doc.anySelected = true;
        doc.deleteItem();
        return false;
    }
    TItemStatus& it = doc.items[index];
    it.text = v.dialogText;
    it.lineSpacing = v.dialogLineSpacing;
    it.fontSize = v.dialogCharSize;
    it.fontName = v.dialogVertical ? QLatin1Char('@') + v.dialogFace : v.dialogFace;
    if (v.directionToggled)
        std::swap(it.width, it.height);
    // The lines run across the item's width in vertical writing; a quarter turn swaps that.
    const bool turned = it.angle % 180 != 0;
    const int32_t across = int32_t(int64_t(it.lineSpacing) * (it.lineCount - 1) + v.dialogCharSize);
    if (v.dialogVertical != turned)
        it.width = across;
    else
        it.height = across;
    return true;
}

int sizeRowFor(int32_t charSizeUnits)
{
    const int points = unitsToPoints(charSizeUnits);
    const auto* end = std::end(kSizeEntries);
    const auto* found = std::find(std::begin(kSizeEntries), end, points);
    return int(found - std::begin(kSizeEntries)); // the row after the entries is "その他"
}

QString checkTextDialog(const TextDialogInput& in)
{
    if (QString m = checkNumber(in.size, {kMsgSizeEmpty, kMsgSizeNotNumber, kMsgSizeNegative}, true); !m.isEmpty())
        return m;
    if (QString m = checkNumber(in.spacing, {kMsgSpacingEmpty, kMsgSpacingNotNumber, kMsgSpacingNegative}, false);
        !m.isEmpty())
        return m;
    return in.face.isEmpty() ? kMsgNoFace : QString();
}

QString checkTextStorable(const QString& text)
{
    const QString lost = unstorableCharacters(text);
    if (lost.isEmpty())
        return {};
    QString message = kMsgUnstorablePrefix;
    for (const char32_t c : lost.toUcs4())
        message += QStringLiteral("「") + QString::fromUcs4(&c, 1) + QStringLiteral("」");
    return message;
}

std::optional<int> proposeSpacing(const TextDialogInput& in, TextDialogValues& values)
{
    if (const QString m = checkTextDialog(in); !m.isEmpty()) {
        dialogs().showmess(m);
        return std::nullopt;
    }
    if (in.size == kSizeOther)
        return std::min(nearest(unitsToPoints(values.dialogCharSize) * 1.5), kMaxPoints);
    values.dialogCharSize = sizeUnits(in.size);
    return std::min(nearest(std::clamp(*wholeNumber(in.size), 1, kMaxPoints) * 1.5), kMaxPoints);
}

void storeTextDialog(const TextDialogInput& in, TextDialogValues& values)
{
    QString text = in.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    values.dialogText = withSjisTwins(text);
    values.dialogLineSpacing = pointsToUnits(std::clamp(*wholeNumber(in.spacing), 0, kMaxPoints));
    if (in.size != kSizeOther)
        values.dialogCharSize = sizeUnits(in.size);
    values.dialogFace = in.face;
    values.dialogVertical = in.vertical;
}

} // namespace qv

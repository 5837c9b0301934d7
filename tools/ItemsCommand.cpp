// qorvale-tool items QOR.DAT [--v2]: every stored field of an item file, as JSON.
#include "QorIO.h"
#include "ToolCommand.h"
#include <QJsonArray>
#include <QJsonObject>

namespace qv::tool {
namespace {

QJsonObject recordJson(const TItemStatus& it, ItemLayout layout)
{
    QJsonObject o{
        {"kind", it.kind},
        {"selected", it.selected},
        {"fromPicture", it.fromPicture},
        {"spareFlag", it.spareFlag},
        {"angle", it.angle},
        {"centerX", it.centerX},
        {"centerY", it.centerY},
        {"width", it.width},
        {"height", it.height},
        {"screenX", it.screenX},
        {"screenY", it.screenY},
        {"color", double(it.color)},
        {"lineColor", double(it.lineColor)},
        {"keyColor", double(it.keyColor)},
        {"imageSlot", it.imageSlot},
        {"fontName", it.fontName},
        {"lineCount", it.lineCount},
        {"fontSize", it.fontSize},
        {"lineSpacing", it.lineSpacing},
        {"text", it.text},
        {"poolIndex", double(it.poolIndex)},
    };
    if (layout == ItemLayout::Current)
        o.insert("textAlign", it.textAlign);
    return o;
}

} // namespace

int runItems(const QStringList& args)
{
    QStringList rest = args;
    const bool v2 = rest.removeAll(QStringLiteral("--v2")) > 0;
    if (rest.size() != 1)
        return usageError("items");
    const QString& path = rest.first();
    const ItemLayout layout = v2 ? ItemLayout::V2000 : ItemLayout::Current;
    ItemFileReader reader(layout);
    if (!reader.open(path))
        return fail("items", path, QStringLiteral("cannot be read, or shorter than its 4-byte count"));
    QJsonArray records;
    int32_t brokenAt = 0; // the first record that is missing or cut short
    for (int32_t k = 1; k <= reader.count(); ++k) {
        if (reader.atEnd()) { // fewer records than counted
            brokenAt = k;
            break;
        }
        TItemStatus rec;
        const bool whole = reader.readRecord(rec);
        QJsonObject o = recordJson(rec, layout);
        if (!whole)
            o.insert("damaged", true);
        records.append(o);
        if (!whole) {
            brokenAt = k;
            break;
        }
    }
    const int32_t count = reader.count();
    const bool complete = brokenAt == 0;
    printJson(QJsonDocument(QJsonObject{
        {"file", path},
        {"layout", v2 ? "2.0.0.0" : "current"},
        {"count", count},
        {"complete", complete},
        {"records", records},
    }));
    if (!complete)
        return fail("items", path, QStringLiteral("the file ends inside record %1 of %2").arg(brokenAt).arg(count));
    return kExitOk;
}

} // namespace qv::tool

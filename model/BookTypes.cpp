#include "BookTypes.h"

namespace qv {
namespace {
QString code16(const char* c) { return QString::fromLatin1(c).leftJustified(16, ' '); }

QVector<BookType> makeTable()
{
    return {
        {"Palm", code16("QorPALM"), {1480, 1480, 2570, 1820}, 130, 0.023, "Palm", "Palm", "Palm"},
        {"Cedar", code16("QorCEDAR"), {2000, 2000, 2970, 2100}, 130, 0.019, "Cedar", "Cedar", "Cedar"},
        {"Maple", code16("QorMAPLE"), {1680, 1700, 2970, 2100}, 80, 0.023, "Maple", "Maple", "Maple"},
        {"Reed", code16("QorREED"), {1280, 1340, 1280, 1340}, 100, 0.023, "Reed", "Reed", "Reed"},
        {"Fern S", code16("QorFERNS"), {1050, 1480, 2970, 2100}, 80, 0.023, "Fern S", "Fern S", "Fern S"},
        {"Fern M", code16("QorFERNM"), {1480, 1480, 2570, 1820}, 130, 0.023, "Fern M", "Palm", "Palm"},
        {"Fern L", code16("QorFERNL"), {2020, 2020, 2970, 2100}, 130, 0.019, "Fern L", "Cedar", "Cedar"},
    };
}
} // namespace

const QVector<BookType>& bookTypes()
{
    static const QVector<BookType> table = makeTable();
    return table;
}

const BookType* findBookType(const QString& key)
{
    for (const BookType& t : bookTypes())
        if (t.key == key)
            return &t;
    return nullptr;
}

const BookType* findBookTypeByCode(const QString& code)
{
    for (const BookType& t : bookTypes())
        if (t.code == code)
            return &t;
    return nullptr;
}

QStringList selectableBookTypes() { return {"Palm", "Cedar", "Maple", "Reed"}; }

std::optional<BookSizes> bookSizes(const QString& key)
{
    if (const BookType* t = findBookType(key))
        return t->sizes;
    return std::nullopt;
}

std::optional<int32_t> bindingMargin(const QString& key)
{
    if (const BookType* t = findBookType(key))
        return t->bindingMargin;
    return std::nullopt;
}

std::optional<double> navScale(const QString& key)
{
    if (const BookType* t = findBookType(key))
        return t->navScale;
    return std::nullopt;
}

} // namespace qv

#pragma once
// The book types and their page geometry.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace qv {

struct BookSizes {
    int32_t pageWidth = 0;
    int32_t pageHeight = 0;
    int32_t coverWidth = 0;
    int32_t coverHeight = 0;
};

struct BookType {
    QString key;          // "Palm", "Cedar", ...
    QString code;         // 16 characters, space-padded
    BookSizes sizes;
    int32_t bindingMargin;
    double navScale;
    QString templateRoutine;
    QString navigatorRoutine;
    QString printRoutine;
};

/// @brief The row of a key (exact, case-sensitive); nullptr when none.
const BookType* findBookType(const QString& key);
/// @brief The row of a 16-character type code; nullptr when none.
const BookType* findBookTypeByCode(const QString& code);
/// @brief All rows in table order.
const QVector<BookType>& bookTypes();
/// @brief The keys offered to the user (type combo and top menu), in order.
QStringList selectableBookTypes();

std::optional<BookSizes> bookSizes(const QString& key);
std::optional<int32_t> bindingMargin(const QString& key);
std::optional<double> navScale(const QString& key);

} // namespace qv

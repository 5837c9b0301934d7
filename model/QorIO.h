#pragma once
// The item file of a page (qor.dat): a count, then one record per item, little-endian.
#include "QorDef.h"
#include <QByteArray>
#include <QFile>

namespace qv {

enum class ItemLayout {
    Current, // with textAlign
    V2000    // the 2.0.0.0 layout, without textAlign
};

/// @brief The bytes of an item file for elements 1..N of the list (element 0 is not written).
QByteArray encodeItemFile(const TItemList& items, ItemLayout layout = ItemLayout::Current);
/// @brief Writes encodeItemFile to path (created or truncated); false on any failure.
bool writeItemFile(const QString& path, const TItemList& items, ItemLayout layout = ItemLayout::Current);

/// Reads an item file record by record. Allocations are bounded by the bytes present.
class ItemFileReader {
public:
    explicit ItemFileReader(ItemLayout layout = ItemLayout::Current) : layout(layout) {}
    /// @brief Opens the file and reads the count; false when it cannot be opened or the
    /// count is missing.
    bool open(const QString& path);
    /// @brief Opens in-memory bytes.
    bool openBytes(const QByteArray& bytes);
    int32_t count() const { return n; }
    /// @brief True when no byte is left: further records cannot hold anything.
    bool atEnd() const;
    /// @brief Fills rec field by field; false when the record was cut short (the fields read
    /// before the damage stay, the rest keep rec's values, strings stay empty).
    bool readRecord(TItemStatus& rec);
    void close();

private:
    ItemLayout layout;
    QByteArray data;
    qsizetype pos = 0;
    int32_t n = 0;
    bool readInt(int32_t& v);
    bool readString(QString& s);
};

} // namespace qv

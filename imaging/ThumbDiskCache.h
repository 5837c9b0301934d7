#pragma once
// Thumbnails of a folder kept in a file of the work folder's thumb folder, so that a folder
// opened again (also after a restart or with a loaded book) shows them without decoding its
// photos. Entries are keyed by path, size and time of the photo, so a changed photo misses.
#include <QByteArray>
#include <QHash>
#include <QString>

namespace qv {

class ThumbDiskCache {
public:
    /// @brief Reads the cache file; what cannot be read is left out. An empty path turns it off.
    void open(const QString& file);
    bool isOn() const { return !path.isEmpty(); }
    /// @brief The JPEG bytes stored for a key; empty when none.
    QByteArray find(const QString& key) const { return entries.value(key); }
    /// @brief Stores a thumbnail's JPEG bytes and appends them to the file.
    void add(const QString& key, const QByteArray& jpeg);

private:
    QString path;
    QHash<QString, QByteArray> entries;
    qint64 goodBytes = 0; // the file up to the end of its last whole entry
};

} // namespace qv

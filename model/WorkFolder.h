#pragma once
// Paths of the work folder, the recursive deletions, and which slot files hold which picture.
#include "TBigBitmap.h"
#include <QHash>
#include <QString>
#include <QStringList>

namespace qv {

inline const QString kWorkFolderName = QStringLiteral("qor_backup_editor");
inline const QString kItemFileName = QStringLiteral("qor.dat");
inline const QString kStdFileName = QStringLiteral("qor_std.dat");

/// Paths below one work folder W (with a trailing '/').
class WorkFolder {
public:
    explicit WorkFolder(const QString& baseDirectory);
    const QString& root() const { return rootPath; }      // W/
    QString pageFolder(int page) const;                     // W/p/
    QString undoFolder() const;                             // W/undo/
    QString undoPageFolder(int page) const;                 // W/undo/p/
    QString discardFolder() const;                          // W/discard/ (see FileReaper)
    QString imgFolder() const;                              // W/img/
    QString thumbFolder() const;                            // W/thumb/
    QString stdFile() const;                                // W/qor_std.dat
    static QString slotName(int k) { return QString::number(k) + QStringLiteral(".bmp"); }
    static QString thumbSlotName(int k) { return QStringLiteral("t") + QString::number(k) + QStringLiteral(".bmp"); }
    /// @brief True when a page holds an item or the pool a file: work a user would miss.
    bool holdsWork() const;

private:
    QString rootPath;
};

/// @brief Every file and folder below dir, a folder before its contents, folders ending in '/'.
QStringList listTree(const QString& dir);
/// @brief Deletes everything below dir, from the end of listTree back, then dir itself when
/// removeSelf; failures are ignored.
void deleteTree(const QString& dir, bool removeSelf = true);

/// Remembers which slot files already hold the pixels of which picture, so that a page write
/// can leave such a file alone instead of writing the same pixels again. A file counts only as
/// long as its path, inode, size and modification time are those seen when it was read or
/// written; a picture only as long as it is not changed (its image key stays the same).
class SlotFileLedger {
public:
    /// @brief bitmap was just read from path.
    void noteRead(const TBigBitmap& bitmap, const QString& path);
    /// @brief bitmap was just written to path.
    void noteWritten(const TBigBitmap& bitmap, const QString& path);
    /// @brief True when path still holds exactly the pixels of bitmap.
    bool holds(const QString& path, const TBigBitmap& bitmap) const;
    /// @brief A file that still holds exactly the pixels of bitmap; empty when none is known.
    QString fileHolding(const TBigBitmap& bitmap) const;
    void forgetFile(const QString& path) { files.remove(path); }
    /// @brief Forgets every picture (the page image cache was emptied).
    void forgetBitmaps() { bitmaps.clear(); }
    void clear();

    struct Stamp {
        quint64 device = 0, inode = 0;
        qint64 size = -1, mtimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };

private:
    struct FileEntry {
        Stamp stamp;
        quint64 content = 0;
    };
    QHash<QString, FileEntry> files;      // path -> what it held when last seen
    QHash<qint64, quint64> bitmaps;       // image key -> content
    quint64 nextContent = 1;
    void note(const TBigBitmap& bitmap, const QString& path, bool read);
};

} // namespace qv

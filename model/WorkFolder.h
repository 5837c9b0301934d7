#pragma once
// Paths of the work folder and the recursive deletions.
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
    QString imgFolder() const;                              // W/img/
    QString thumbFolder() const;                            // W/thumb/
    QString stdFile() const;                                // W/qor_std.dat
    static QString slotName(int k) { return QString::number(k) + QStringLiteral(".bmp"); }
    static QString thumbSlotName(int k) { return QStringLiteral("t") + QString::number(k) + QStringLiteral(".bmp"); }

private:
    QString rootPath;
};

/// @brief Every file and folder below dir, a folder before its contents, folders ending in '/'.
QStringList listTree(const QString& dir);
/// @brief Deletes everything below dir, from the end of listTree back, then dir itself when
/// removeSelf; failures are ignored.
void deleteTree(const QString& dir, bool removeSelf = true);

} // namespace qv

#pragma once
// The entries of one folder with their shell facts, read with the system's own calls: every
// name the folder holds is listed, also one that is not valid UTF-8 (see FileNames.h).
#include <QString>
#include <QVector>

namespace qv {

enum class ShellImageType { None, Bmp, Jpeg, Folder, Other };

/// One entry of the folder as the list shows it.
struct ShellItem {
    QString path;          // full path, lossless (FileNames.h)
    QString displayName;   // the name for people
    QString typeName;      // the system's name of the file type
    qint64 size = 0;       // bytes
    qint64 mtimeMs = 0;
    bool isFolder = false;
    ShellImageType imageType = ShellImageType::None;

    bool isPhoto() const { return imageType == ShellImageType::Bmp || imageType == ShellImageType::Jpeg; }
    /// @brief "<size / 1024 + 1>KB" for a file, empty for a folder.
    QString sizeText() const;
};

/// @brief Kind of a path: Folder, Jpeg (".jpg", ".jpeg"), Bmp, Other for the files the system
/// knows as pictures, text, video, mail, web pages or programs, None for anything else.
ShellImageType shellImageType(const QString& path, bool isFolder);

enum class FolderState { Readable, NoFolder, Unreadable };

/// @brief Whether a path names a folder, and its path with links and "." / ".." resolved.
FolderState folderState(const QString& path, QString* canonical = nullptr);
/// @brief The folder above; the root is its own parent.
QString parentFolder(const QString& path);

/// @brief The entries of a folder, folders first, then by name as people sort (numbers by
/// value, case ignored); hidden entries left out. False (and `out` empty) when the folder
/// cannot be read.
bool readFolder(const QString& folder, QVector<ShellItem>& out);
/// @brief The same, empty for a folder that cannot be read.
QVector<ShellItem> listFolder(const QString& folder);

} // namespace qv

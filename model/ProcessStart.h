#pragma once
// Where a running copy keeps its work, and which book its command line names.
#include <QString>

namespace qv {

/// @brief The per-user folder name below the data home ($XDG_DATA_HOME or ~/.local/share).
inline constexpr char kUserDataFolderName[] = "qorvale";

/// @brief True when programFolder is the bin folder of an installed copy: a sibling share
/// folder holds the program's menu entry, as the install rules lay it out.
bool isInstalledProgramFolder(const QString& programFolder);

/// @brief The base directory, without trailing '/': the override when not empty; else the
/// program's folder when it is writable and not that of an installed copy; else userDataFolder.
QString chooseBaseDirectory(const QString& override, const QString& programFolder,
                            const QString& userDataFolder);

/// @brief The book path of a command-line argument: a local file:// address becomes its path,
/// a relative path is taken from currentFolder; anything else is kept as given.
QString startupProjectPath(const QString& argument, const QString& currentFolder);

} // namespace qv

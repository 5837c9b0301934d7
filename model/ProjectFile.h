#pragma once
// The project file (.qvb): one packed copy of the work folder's pages, photo pool and
// thumbnail cache. A 17-byte type code header, a version, then tagged sections of
// length-prefixed file entries, little-endian, no compression.
#include <QString>
#include <QVector>
#include <array>
#include <cstdint>
#include <sys/stat.h>
#include <sys/types.h>

namespace qv {

using ProjectVersion = std::array<int32_t, 4>;
inline constexpr ProjectVersion kVersionUnknown{0, 0, 0, 0};   // nothing loaded yet
inline constexpr ProjectVersion kVersionWritten{3, 0, 0, 0};   // what saving writes
inline constexpr ProjectVersion kVersion2000{2, 0, 0, 0};      // item files without textAlign
inline constexpr ProjectVersion kVersionConverted{2, 0, 1, 0}; // current item layout after a load

enum class ProjectSection { PageInfo, PageImage, OriginalImage, Thumb };
/// @brief The section's tag text ("PageInfo", ...), without its zero byte.
QString sectionTag(ProjectSection section);

/// One stored file, as listed in the project file.
struct ProjectEntry {
    ProjectSection section = ProjectSection::PageInfo;
    QString folder; // "0".."16", "img" or "thumb", inside the work folder
    QString name;
    qint64 size = 0; // 0: the file did not exist when saving
    bool operator==(const ProjectEntry&) const = default;
};

// Results of reading, as the load flow tells them apart.
constexpr int kReadOk = 0;
constexpr int kReadNoHeader = -1;   // fewer than 17 bytes
constexpr int kReadBadVersion = -2; // not "Version", or a version not accepted
constexpr int kReadFailed = -3;     // anything else

struct ProjectReadResult {
    int code = kReadFailed;
    QString typeCode;                 // header text up to its zero byte
    ProjectVersion version = kVersionUnknown;
    bool versionAccepted = false;     // version holds an accepted version
    bool thumbCutShort = false;       // the file ended inside "Thumb": still a success
    QString reason;                   // what went wrong and where, for the command-line tool
};

/// @brief Unpacks a project file into workRoot (created if missing). Whatever was unpacked
/// before a failure stays. Entry names that would leave their folder are refused (-3).
ProjectReadResult readProjectFile(const QString& path, const QString& workRoot);
/// @brief Walks a whole project file without writing anything; entries in file order.
ProjectReadResult listProjectFile(const QString& path, QVector<ProjectEntry>* entries);

/// The file operations of saving, reading and unpacking a project file: those that fail on
/// real disks (full, removed, failing flush), and those that reach the disk at all. Tests
/// install a replacement that fails one of them half-way, or one that keeps every file in
/// memory. Each call behaves like the POSIX call of its name.
class ProjectFileOps {
public:
    virtual ~ProjectFileOps() = default;
    virtual ssize_t write(int fd, const void* data, size_t size);
    virtual int fsync(int fd);
    /// Like rename(2), except that without mayReplace an existing file at to is never
    /// replaced: the call fails with EEXIST.
    virtual int rename(const char* from, const char* to, bool mayReplace);
    virtual int link(const char* from, const char* to);

    virtual int openat(int dirFd, const char* path, int flags, mode_t mode = 0);
    virtual int close(int fd);
    virtual ssize_t read(int fd, void* data, size_t size);
    virtual off_t lseek(int fd, off_t offset, int whence);
    virtual int fstatat(int dirFd, const char* path, struct stat* st, int flags);
    virtual int mkdirat(int dirFd, const char* path, mode_t mode);
    virtual int unlinkat(int dirFd, const char* path, int flags);
    virtual int renameat(int fromDir, const char* from, int toDir, const char* to);
};

/// @brief The operations in use; the real ones unless a test installed others.
ProjectFileOps& projectFileOps();
/// @brief Installs replacement operations (not owned); nullptr restores the real ones.
void setProjectFileOps(ProjectFileOps* ops);

enum class SaveOutcome {
    Saved,
    BackupFailed, // the old file could not be set aside; nothing was changed
    WriteFailed   // the new file could not be written; the old one survives
};

struct ProjectSaveResult {
    SaveOutcome outcome = SaveOutcome::WriteFailed;
    QString reason;
    QVector<ProjectEntry> entries; // what was written, in file order
};

/// @brief Saves the work folder as the project file at path with the 16-character type
/// code. The new file is written aside, flushed, read back and checked whole, and only then
/// renamed into place. An existing file is kept as path.BAK during the switch: a second link
/// where the file system has them, so that path holds the old or the new book at every moment,
/// else the old file renamed. On any failure the previous book survives unchanged: in place,
/// or, when it had been renamed or the new one is already in place, as the same name with the
/// extension .qvp (as the .BAK file when a .qvp file of that name exists). No file the save did
/// not create is replaced or deleted: an existing .BAK file stops the save (BackupFailed),
/// unless it is a second link of the book itself that a killed save left; a read-only book is
/// refused. A symbolic
/// link is followed and the file it points to is written, keeping its permission bits; the
/// scratch files left by a crashed save of the same book are removed.
ProjectSaveResult saveProjectFile(const QString& workRoot, const QString& typeCode, const QString& path);

/// @brief path with its extension replaced (".BAK", ".qvp"); appended when it has none.
QString withExtension(const QString& path, const QString& extension);

} // namespace qv

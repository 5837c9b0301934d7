#pragma once
// Pieces shared by the project file's writer and reader: layout constants, the entry name
// rule, a running hash, a buffered input and the section walk.
#include "ProjectFile.h"
#include <QByteArray>
#include <functional>
#include <vector>

namespace qv::project {

constexpr int kHeaderBytes = 17;          // type code, 16 characters and a zero byte
constexpr int kTypeCodeChars = 16;
constexpr int kPageFolders = 17;          // folders 0..16
constexpr int kMaxNameBytes = 255;        // longest file name the disk takes
constexpr qint64 kBufferBytes = 1 << 20;  // every stored file streams through this
inline const QString kImgFolder = QStringLiteral("img");
inline const QString kThumbFolder = QStringLiteral("thumb");

/// @brief The tag bytes of "Version" and the sections, with their zero byte.
QByteArray tagBytes(const char* text);
QByteArray versionTag();
QByteArray sectionTagBytes(ProjectSection section);

/// @brief True for a plain file name that stays inside its folder: not empty, not "." or
/// "..", no '/', '\\', ':' or zero character.
bool isSafeEntryName(const QString& name);

/// Running 64-bit hash of a byte stream; the result does not depend on how the stream is cut.
class StreamHash {
public:
    void add(const char* data, qint64 size);
    quint64 result() const;

private:
    quint64 lanes[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                        0x85EBCA77C2B2AE63ull};
    unsigned char pending[32] = {};
    int pendingBytes = 0;
    quint64 total = 0;
    void mixStripe(const unsigned char* stripe);
};

/// Buffered reading of a file descriptor that knows how many bytes are left.
class ProjectInput {
public:
    ProjectInput();
    ~ProjectInput();
    ProjectInput(const ProjectInput&) = delete;
    ProjectInput& operator=(const ProjectInput&) = delete;

    /// @brief Opens path for reading; false with a reason when it cannot.
    bool open(const QString& path, QString* reason);
    qint64 position() const { return pos; }
    qint64 remaining() const { return fileSize > pos ? fileSize - pos : 0; }
    /// @brief Every byte consumed from now on is added to hash (nullptr: none).
    void setHash(StreamHash* h) { hash = h; }

    /// @brief Reads exactly size bytes; false when the file ends first or cannot be read.
    bool read(char* out, qint64 size);
    bool readInt(int32_t& value);
    /// @brief Passes the next size bytes to sink in pieces of at most one buffer.
    bool stream(qint64 size, const std::function<bool(const char*, qint64)>& sink);
    /// @brief Moves past size bytes (read through when hashing, so the hash sees them).
    bool skip(qint64 size);
    /// @brief True when a read failed for another reason than the end of the file.
    bool ioFailed() const { return ioError; }

private:
    ProjectFileOps& ops;
    int fd = -1;
    qint64 fileSize = 0;
    qint64 pos = 0;
    std::vector<char> buffer;
    qint64 bufPos = 0;
    qint64 bufLen = 0;
    StreamHash* hash = nullptr;
    bool ioError = false;
    bool fill();
    void consume(qint64 size);
};

/// What a walk of the file does with what it finds.
class ProjectSink {
public:
    virtual ~ProjectSink() = default;
    /// @brief A folder that is about to receive entries; create it when missing.
    virtual bool enterFolder(const QString& folder, QString* reason) = 0;
    /// @brief PageInfo is done with a page folder; remove it when it stayed empty.
    virtual void leavePageFolder(const QString& /*folder*/) {}
    /// @brief One entry; the sink consumes exactly entry.size bytes of in, or fails.
    virtual bool entry(const ProjectEntry& entry, ProjectInput& in, QString* reason) = 0;
};

/// @brief Writes a whole project file for the work folder at workRoot to fd, through ops.
/// written lists the entries in file order; hash is the running hash of every byte written.
/// A failed write is reported under target, the name of the book being written.
bool writeProjectTo(int fd, const QString& target, const QString& workRoot, const QString& typeCode,
                    ProjectFileOps& ops, QVector<ProjectEntry>* written, quint64* hash, QString* reason);
/// @brief Reads a file just written back whole and checks its structure, every entry's name
/// and size against written, and every byte against hash.
bool verifyProjectFile(const QString& path, const QVector<ProjectEntry>& written, quint64 hash, QString* reason);

/// @brief Walks the whole file. Strict walks (checking a file just written) also refuse a
/// "Thumb" section cut short and bytes after the last entry.
ProjectReadResult walkProjectFile(ProjectInput& in, ProjectSink& sink, bool strict);

} // namespace qv::project

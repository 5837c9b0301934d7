#pragma once
// Writes a file under a temporary name beside it and renames it into place at the end, so a
// failed or interrupted write never leaves a damaged file under the target name. No flush to
// disk: these are working files; the project save makes its own file durable.
#include <QString>
#include <QTemporaryFile>

namespace qv {

class ReplacingFile {
public:
    explicit ReplacingFile(const QString& path);
    bool open();
    bool write(const char* data, qint64 size);
    /// @brief The open temporary file's descriptor, for gathered writes (nothing is buffered).
    int handle() { return tmp.handle(); }
    /// @brief Closes the temporary file and renames it over the target; false on any failure
    /// (the temporary file is then removed).
    bool commit();
    QString errorString() const;

private:
    QString target;
    QTemporaryFile tmp;
    QString failure;
};

} // namespace qv

#include "ReplacingFile.h"
#include <QFile>
#include <cstdio>

namespace qv {

ReplacingFile::ReplacingFile(const QString& path) : target(path), tmp(path + QStringLiteral(".XXXXXX")) {}

bool ReplacingFile::open()
{
    if (tmp.open())
        return true;
    failure = tmp.errorString();
    return false;
}

bool ReplacingFile::write(const char* data, qint64 size)
{
    if (tmp.write(data, size) == size)
        return true;
    failure = tmp.errorString();
    return false;
}

bool ReplacingFile::commit()
{
    if (!tmp.flush()) {
        failure = tmp.errorString();
        return false;
    }
    tmp.close();
    // Not QFile::rename: it refuses to replace an existing file.
    if (std::rename(QFile::encodeName(tmp.fileName()).constData(), QFile::encodeName(target).constData()) != 0) {
        failure = QStringLiteral("cannot rename into place");
        return false;
    }
    tmp.setAutoRemove(false);
    return true;
}

QString ReplacingFile::errorString() const { return failure.isEmpty() ? tmp.errorString() : failure; }

} // namespace qv

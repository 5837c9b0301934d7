// Project files: the structure walk and a real unpack, both through the file operations of a
// tree kept in memory, so that no input touches the disk.
#include "MemoryFileOps.h"
#include "ProjectFile.h"
#include <QFile>
#include <cstdlib>
#include <map>

namespace {

const std::string kBook = "/book.qvb";
const std::string kWork = "/work/";

qv::test::MemoryFileOps& files()
{
    static qv::test::MemoryFileOps ops;
    return ops;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

/// After a read that succeeded, each listed name holds the bytes of its last non-empty entry.
void checkUnpacked(const QVector<qv::ProjectEntry>& entries)
{
    std::map<std::string, qint64> sizes;
    for (const qv::ProjectEntry& e : entries)
        if (e.size > 0)
            sizes[kWork + QFile::encodeName(e.folder + '/' + e.name).toStdString()] = e.size;
    for (const auto& [path, size] : sizes) {
        const auto n = files().tree().find(path);
        check(n != files().tree().end() && !n->second.folder && n->second.data.size() == size);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qv::setProjectFileOps(&files());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    files().reset();
    files().addFile(kBook, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QString book = QString::fromStdString(kBook);
    QVector<qv::ProjectEntry> entries;
    const qv::ProjectReadResult listed = qv::listProjectFile(book, &entries);
    const qv::ProjectReadResult read = qv::readProjectFile(book, QString::fromStdString(kWork));

    // Both walks see the same file; nothing leaks a descriptor; nothing appears outside the
    // work folder (names that leave it are refused).
    check(listed.code == read.code && files().openCount() == 0);
    for (const auto& [path, node] : files().tree())
        check(path == "/" || path == kBook || path + '/' == kWork || path.rfind(kWork, 0) == 0);
    if (read.code == qv::kReadOk)
        checkUnpacked(entries);
    return 0;
}

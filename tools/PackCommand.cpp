// qorvale-tool pack DIR BOOK.qvb --type KEY: the same saving as the editor's.
#include "BookTypes.h"
#include "ProjectFile.h"
#include "ToolCommand.h"
#include <QFileInfo>

namespace qv::tool {

int runPack(const QStringList& args)
{
    QStringList rest = args;
    const qsizetype at = rest.indexOf(QLatin1String("--type"));
    if (at < 0 || at + 1 >= rest.size())
        return usageError("pack");
    const QString key = rest[at + 1];
    rest.remove(at, 2);
    if (rest.size() != 2)
        return usageError("pack");
    const QString& dir = rest[0];
    const QString& path = rest[1];
    const BookType* type = findBookType(key);
    if (!type) {
        QStringList keys;
        for (const BookType& t : bookTypes())
            keys << t.key;
        return fail("pack", key, QStringLiteral("unknown book type (one of: %1)").arg(keys.join(", ")));
    }
    if (!QFileInfo(dir).isDir())
        return fail("pack", dir, QStringLiteral("no such folder"));
    const ProjectSaveResult r = saveProjectFile(dir, type->code, path);
    if (r.outcome != SaveOutcome::Saved)
        return fail("pack", path, r.reason);
    return kExitOk;
}

} // namespace qv::tool

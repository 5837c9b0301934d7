// qorvale-tool unpack BOOK.qvb DIR: the same unpacking as opening a book in the editor.
#include "ProjectFile.h"
#include "ToolCommand.h"
#include <QFileInfo>

namespace qv::tool {

int runUnpack(const QStringList& args)
{
    if (args.size() != 2)
        return usageError("unpack");
    const QString& path = args[0];
    if (!QFileInfo(path).isFile())
        return fail("unpack", path, QStringLiteral("no such file"));
    const ProjectReadResult r = readProjectFile(path, args[1]);
    switch (r.code) {
    case kReadOk: return kExitOk;
    case kReadNoHeader: return fail("unpack", path, QStringLiteral("not a project file (%1)").arg(r.reason));
    case kReadBadVersion: return fail("unpack", path, QStringLiteral("unsupported version (%1)").arg(r.reason));
    default: return fail("unpack", path, r.reason);
    }
}

} // namespace qv::tool

// qorvale-tool import --work DIR --type KEY FILE...: adds photos to the pool of a work folder
// exactly as the editor's photo browser does, messages included.
#include "BookTypes.h"
#include "Dialogs.h"
#include "PhotoPool.h"
#include "ToolCommand.h"
#include "Unit2.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

namespace qv::tool {
namespace {

struct ImportArgs {
    QString work;
    QString type;
    QStringList files;
};

bool parse(const QStringList& args, ImportArgs& out)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == QLatin1String("--work") || a == QLatin1String("--type")) && i + 1 < args.size())
            (a == QLatin1String("--work") ? out.work : out.type) = args[++i];
        else if (a.startsWith(QLatin1String("--")))
            return false;
        else
            out.files << a;
    }
    return !out.work.isEmpty() && !out.type.isEmpty() && !out.files.isEmpty();
}

QJsonArray describePool(const TForm2& doc, const QVector<TInfos>& pool)
{
    QJsonArray entries;
    for (int n = 0; n < pool.size(); ++n) {
        const TInfos& e = pool[n];
        entries.append(QJsonObject{
            {"index", n},
            {"name", e.name},
            {"isPicture", e.isPicture},
            {"srcWidth", e.srcWidth},
            {"srcHeight", e.srcHeight},
            {"copy", QFileInfo(poolCopyPath(doc.work().imgFolder(), n, e.isPicture)).fileName()},
            {"thumbnail", QFileInfo(poolThumbPath(doc.work().imgFolder(), n, e.isPicture)).fileName()},
        });
    }
    return entries;
}

// One file through the same checks as the photo browser's add button; false when not added.
bool importOne(TForm2& doc, const QString& file)
{
    const QFileInfo info(file);
    if (!info.isFile()) {
        fail("import", file, QStringLiteral("no such file"));
        return false;
    }
    if (photoFileKind(file) == kFileKindOther) {
        fail("import", file, QStringLiteral("not a JPEG or BMP file (.jpg, .jpeg, .bmp)"));
        return false;
    }
    if (!doc.FileExtSub(info.absoluteFilePath(), 0)) {
        fail("import", file, QFileInfo(doc.work().imgFolder()).isDir()
                 ? QStringLiteral("cannot be read as a picture")
                 : QStringLiteral("the work folder's img folder cannot be created"));
        return false;
    }
    return true;
}

// The link goes before its temporary folder is cleared, so that clearing never reaches DIR.
struct WorkLink {
    QString path;
    ~WorkLink() { QFile::remove(path); }
};

} // namespace

int runImport(const QStringList& args)
{
    ImportArgs a;
    if (!parse(args, a))
        return usageError("import");
    if (!findBookType(a.type))
        return fail("import", a.type, QStringLiteral("unknown book type"));
    if (!QDir().mkpath(a.work))
        return fail("import", a.work, QStringLiteral("cannot create the folder"));
    // The document works on the folder of that name below a base folder; a link of that name
    // in a temporary base points it at DIR itself.
    QTemporaryDir base;
    const WorkLink link(base.path() + QLatin1Char('/') + kWorkFolderName);
    if (!base.isValid() || !QFile::link(QFileInfo(a.work).absoluteFilePath(), link.path))
        return fail("import", a.work, QStringLiteral("cannot reach the folder through a link"));

    TMainState state;
    TForm2 doc(state, base.path());
    doc.bookType = a.type;
    doc.infosLoad();
    bool allAdded = true;
    for (const QString& file : a.files) {
        if (state.pool.size() + 1 > kMaxPoolEntries) {
            dialogs().showmess(kMsgMaxExceeded);
            allAdded = false;
            break;
        }
        allAdded = importOne(doc, file) && allAdded;
    }
    printJson(QJsonDocument(describePool(doc, state.pool)));
    return allAdded ? kExitOk : kExitFailed;
}

} // namespace qv::tool

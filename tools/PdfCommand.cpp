// qorvale-tool pdf: writes a book's pages into a PDF file at their true size, with the pixels
// the printer would get. The book file is only read.
#include "BookTypes.h"
#include "PageRenderer.h"
#include "Pause.h"
#include "PdfExport.h"
#include "PoolFiles.h"
#include "ProjectFile.h"
#include "ToolCommand.h"
#include "Unit2.h"
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

namespace qv::tool {
namespace {

constexpr const char* kName = "pdf";
constexpr int kMaxPdfDpi = 1200;

struct PdfArgs {
    QString book, out, pages = QStringLiteral("all");
    int dpi = kDefaultPdfDpi;
};

/// An error "WHAT: WHY" pair; both empty when the arguments are usable.
std::pair<QString, QString> parse(QStringList args, PdfArgs& a)
{
    QStringList files;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (!arg.startsWith(QLatin1String("--"))) {
            files << arg;
            continue;
        }
        if (args.isEmpty())
            return {arg, QStringLiteral("needs a value")};
        const QString value = args.takeFirst();
        if (arg == QLatin1String("--pages"))
            a.pages = value;
        else if (arg == QLatin1String("--dpi")) {
            bool ok = false;
            a.dpi = value.toInt(&ok);
            if (!ok || a.dpi < 1 || a.dpi > kMaxPdfDpi)
                return {arg, QStringLiteral("must be 1 to 1200")};
        } else
            return {arg, QStringLiteral("unknown option")};
    }
    if (files.size() != 2)
        return {QStringLiteral("BOOK.qvb OUT.pdf"), QStringLiteral("give both files")};
    a.book = files[0];
    a.out = files[1];
    return {};
}

} // namespace

int runPdf(const QStringList& args)
{
    PdfArgs a;
    const auto [what, why] = parse(args, a);
    if (!what.isEmpty()) {
        fail(kName, what, why);
        return usageError(kName);
    }
    const auto pages = parsePageChoice(a.pages);
    if (!pages) {
        fail(kName, a.pages, QStringLiteral("--pages must be all, odd, even or a page 0 to 30"));
        return usageError(kName);
    }
    if (!QFileInfo(a.book).isFile())
        return fail(kName, a.book, QStringLiteral("no such file"));
    setPauseScale(0);
    QTemporaryDir base;
    if (!base.isValid())
        return fail(kName, QDir::tempPath(), QStringLiteral("cannot create a temporary folder"));
    TMainState st;
    TForm2 doc(st, base.path());
    const ProjectReadResult read = readProjectFile(a.book, doc.work().root());
    if (read.code != kReadOk)
        return fail(kName, a.book, read.reason.isEmpty() ? QStringLiteral("not a readable project file") : read.reason);
    if (!findBookTypeByCode(read.typeCode))
        return fail(kName, a.book, QStringLiteral("unknown type code \"%1\"").arg(read.typeCode.trimmed()));
    doc.setKnownVersion(read.version);
    doc.typeFromCode(read.typeCode);
    doc.ConvertFileVer2000to2010();

    PageRenderer r(doc, st);
    r.withoutEditor();
    const QString imgFolder = doc.work().imgFolder();
    r.loadPoolPhoto = [&](int n) { return loadJpegFull(poolCopyPath(imgFolder, n, false)).bitmap; };
    QString error;
    if (!exportPdf(r, a.out, *pages, a.dpi, {}, &error))
        return fail(kName, a.out, error);
    QJsonArray written;
    for (int p : *pages)
        written << p;
    printJson(QJsonDocument(QJsonObject{
        {"out", QFileInfo(a.out).absoluteFilePath()},
        {"type", doc.bookType},
        {"dpi", a.dpi},
        {"pages", written},
    }));
    return kExitOk;
}

} // namespace qv::tool

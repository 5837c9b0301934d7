// qorvale-tool render: draws one page of a work folder or of a book into a drawing target with
// the editor's own drawing routines and writes the picture as PNG. The source is never changed:
// the page is read from a temporary copy.
#include "BookTypes.h"
#include "Numbers.h"
#include "PageRenderer.h"
#include "Pause.h"
#include "PoolFiles.h"
#include "ProjectFile.h"
#include "ToolCommand.h"
#include "Unit2.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>

namespace qv::tool {
namespace {

constexpr const char* kName = "render";
constexpr int kMaxSide = 16000; // pixels either way, and at most kMaxPixels in all
constexpr qint64 kMaxPixels = qint64(64) << 20;
constexpr int kMaxDpi = 1200;

/// Reports a failure; the empty string stands for it.
QString failed(const QString& what, const QString& why)
{
    fail(kName, what, why);
    return {};
}

bool sizeAllowed(QSize s)
{
    return s.width() >= 1 && s.height() >= 1 && s.width() <= kMaxSide && s.height() <= kMaxSide &&
           qint64(s.width()) * s.height() <= kMaxPixels;
}

struct RenderArgs {
    QString work, book, type, out;
    int page = 0, side = 0, target = kTargetEditor, zoom = 5, dpi = 300;
    QSize size; // empty: the target's default
};

bool parseInt(const QString& text, int lo, int hi, int& out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

bool parseSize(const QString& text, QSize& out)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    int w = 0, h = 0;
    if (parts.size() != 2 || !parseInt(parts[0], 1, kMaxSide, w) || !parseInt(parts[1], 1, kMaxSide, h))
        return false;
    out = QSize(w, h);
    return true;
}

/// Reads one option's value into a; an error text when it is not acceptable.
QString takeOption(const QString& name, const QString& value, RenderArgs& a)
{
    if (name == QLatin1String("--work")) a.work = value;
    else if (name == QLatin1String("--book")) a.book = value;
    else if (name == QLatin1String("--type")) a.type = value;
    else if (name == QLatin1String("--out")) a.out = value;
    else if (name == QLatin1String("--page")) return parseInt(value, 0, kPageFolderCount - 1, a.page) ? QString() : QStringLiteral("must be 0 to 16");
    else if (name == QLatin1String("--side")) return parseInt(value, 0, 2, a.side) ? QString() : QStringLiteral("must be 0, 1 or 2");
    else if (name == QLatin1String("--zoom")) return parseInt(value, 1, 8, a.zoom) ? QString() : QStringLiteral("must be 1 to 8");
    else if (name == QLatin1String("--dpi")) return parseInt(value, 1, kMaxDpi, a.dpi) ? QString() : QStringLiteral("must be 1 to 1200");
    else if (name == QLatin1String("--size")) return parseSize(value, a.size) ? QString() : QStringLiteral("must be WxH, each 1 to 16000");
    else if (name == QLatin1String("--target")) {
        const bool ok = parseInt(value, 0, 6, a.target) && (a.target <= 1 || a.target >= 5);
        return ok ? QString() : QStringLiteral("must be 0, 1, 5 or 6");
    } else
        return QStringLiteral("unknown option");
    return {};
}

/// @brief An error "WHAT: WHY" pair; both empty when the arguments are complete.
std::pair<QString, QString> parse(const QStringList& args, RenderArgs& a)
{
    for (qsizetype i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return {args[i], QStringLiteral("needs a value")};
        const QString why = takeOption(args[i], args[i + 1], a);
        if (!why.isEmpty())
            return {args[i], why};
    }
    if (a.work.isEmpty() == a.book.isEmpty())
        return {QStringLiteral("--work, --book"), QStringLiteral("give exactly one of them")};
    if (a.out.isEmpty())
        return {QStringLiteral("--out"), QStringLiteral("missing")};
    if (!a.work.isEmpty() && a.type.isEmpty())
        return {QStringLiteral("--type"), QStringLiteral("needed with --work (a work folder does not record its book type)")};
    if (!a.type.isEmpty() && !findBookType(a.type))
        return {a.type, QStringLiteral("unknown book type")};
    return {};
}

/// Copies the files of one page folder (no subfolders) into the document's page folder.
bool copyPageFolder(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    const QFileInfoList files = QDir(from).entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& f : files)
        if (!QFile::copy(f.absoluteFilePath(), to + f.fileName()))
            return false;
    return true;
}

/// Brings the page into the document's work folder; returns the source's img folder, or an
/// empty string after reporting the failure.
QString stagePage(const RenderArgs& a, TForm2& doc)
{
    const WorkFolder& work = doc.work();
    if (!a.work.isEmpty()) {
        // A page folder that is missing or holds no item file is an empty page, as in the editor.
        const QString pageDir = QDir(a.work).filePath(QString::number(a.page)) + QLatin1Char('/');
        if (QFileInfo(pageDir).isDir() && !copyPageFolder(pageDir, work.pageFolder(a.page)))
            return failed(pageDir, QStringLiteral("cannot copy the page to a temporary folder"));
        return QDir(a.work).filePath(QStringLiteral("img")) + QLatin1Char('/');
    }
    if (!QFileInfo(a.book).isFile())
        return failed(a.book, QStringLiteral("no such file"));
    const ProjectReadResult read = readProjectFile(a.book, work.root());
    if (read.code != kReadOk)
        return failed(a.book, read.reason.isEmpty() ? QStringLiteral("not a readable project file") : read.reason);
    if (a.type.isEmpty() && !findBookTypeByCode(read.typeCode))
        return failed(a.book, QStringLiteral("unknown type code \"%1\"; give --type").arg(read.typeCode.trimmed()));
    doc.setKnownVersion(read.version);
    doc.typeFromCode(read.typeCode);
    doc.ConvertFileVer2000to2010();
    return work.imgFolder();
}

/// The default picture size of a target: the page area with room for the book edge on the
/// editor canvas, the page area on a thumbnail, the page at 0.2 pixels per unit in a preview.
QSize defaultSize(const PageRenderer& r, int target)
{
    const int w = 2 * r.halfSpanX(target), h = 2 * r.halfSpanY(target);
    switch (target) {
    case kTargetEditor: {
        const int pad = r.toPxX(target, 200);
        return {w + 2 * pad, h + 2 * pad};
    }
    case kTargetThumbnail: return {w + 8, h + 8};
    default: return {nearest(r.doc.pageWidth * 0.2), nearest(r.doc.pageHeight * 0.2)};
    }
}

/// Draws the loaded page as its target does; a null image when it is too large to make.
QImage drawPage(PageRenderer& r, const RenderArgs& a)
{
    const QSize size = a.size.isEmpty() ? defaultSize(r, a.target) : a.size;
    if (a.target != kTargetPrinter && !sizeAllowed(size))
        return {};
    QImage image;
    switch (a.target) {
    case kTargetEditor:
        r.paintBox = size;
        r.MPaint(kTargetEditor);
        return r.backBuffer;
    case kTargetThumbnail:
        image = QImage(size, QImage::Format_RGB32);
        r.thumbnailImage = &image;
        if (!image.isNull())
            r.MPaint(kTargetThumbnail);
        return image;
    case kTargetPreview:
        image = QImage(size, QImage::Format_RGB32);
        r.previewImage = &image;
        r.paintPageBase(kTargetPreview);
        r.drawItems(kTargetPreview);
        r.drawTemplate(kTargetPreview);
        return image;
    default: {
        // The printer gets the items only, on a white page at the printer's resolution.
        const int w = r.toPxX(kTargetPrinter, r.doc.pageWidth), h = r.toPxY(kTargetPrinter, r.doc.pageHeight);
        if (!sizeAllowed(QSize(w, h)))
            return image;
        image = QImage(w, h, QImage::Format_RGB32);
        if (image.isNull())
            return image;
        image.fill(Qt::white);
        r.printerBitmap = &image;
        r.sheetWidth = w;
        r.sheetHeight = h;
        r.drawItems(kTargetPrinter);
        return image;
    }
    }
}

} // namespace

int runRender(const QStringList& args)
{
    RenderArgs a;
    const auto [what, why] = parse(args, a);
    if (!what.isEmpty()) {
        fail(kName, what, why);
        return usageError(kName);
    }
    if (!a.work.isEmpty() && !QFileInfo(a.work).isDir())
        return fail(kName, a.work, QStringLiteral("no such folder"));
    setPauseScale(0); // the editor's pauses pace its windows; there are none here

    QTemporaryDir base;
    if (!base.isValid())
        return fail(kName, QDir::tempPath(), QStringLiteral("cannot create a temporary folder"));
    TMainState st;
    TForm2 doc(st, base.path());
    const QString imgFolder = stagePage(a, doc);
    if (imgFolder.isEmpty())
        return kExitFailed;
    if (!a.type.isEmpty())
        doc.bookType = a.type;
    doc.currentPage = a.page;
    doc.zoomLevel = a.zoom;
    st.editSide = a.side;
    doc.setQorType();
    doc.PbfLoad(-1); // false for a page without items: drawn empty, as the editor shows it

    PageRenderer r(doc, st);
    r.withoutEditor();
    r.thumbnailScale = navScale(doc.bookType).value_or(0.023);
    r.printerScaleX = r.printerScaleY = a.dpi / 254.0;
    r.loadPoolPhoto = [&](int n) { return loadJpegFull(poolCopyPath(imgFolder, n, false)).bitmap; };
    const QImage image = drawPage(r, a);
    if (image.isNull())
        return fail(kName, a.out, QStringLiteral("the picture is too large to make"));
    if (!image.save(a.out, "PNG"))
        return fail(kName, a.out, QStringLiteral("cannot write the PNG file"));
    printJson(QJsonDocument(QJsonObject{
        {"out", QFileInfo(a.out).absoluteFilePath()},
        {"type", doc.bookType},
        {"page", a.page},
        {"side", a.side},
        {"target", a.target},
        {"width", image.width()},
        {"height", image.height()},
        {"items", doc.itemCount()},
    }));
    return kExitOk;
}

} // namespace qv::tool

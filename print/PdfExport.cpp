// PDF export of book pages.
#include "PdfExport.h"
#include "Numbers.h"
#include "PageRenderer.h"
#include "SheetPrinting.h"
#include "WholeWrites.h"
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QScopeGuard>

namespace qv {

BookPageRef bookPageRef(int p)
{
    if (p <= 0)
        return {0, 0};
    if (p == 1)
        return {1, 2};
    return p % 2 == 0 ? BookPageRef{p / 2 + 1, 1} : BookPageRef{(p + 1) / 2, 2};
}

std::optional<QVector<int>> parsePageChoice(const QString& choice)
{
    QVector<int> pages;
    const bool all = choice == QLatin1String("all"), odd = choice == QLatin1String("odd"),
               even = choice == QLatin1String("even");
    if (all || odd || even) {
        for (int p = all ? 0 : (odd ? 1 : 2); p < kBookPages; p += all ? 1 : 2)
            pages << p;
        return pages;
    }
    bool ok = false;
    const int n = choice.toInt(&ok);
    if (!ok || n < 0 || n >= kBookPages)
        return std::nullopt;
    return QVector<int>{n};
}

namespace {

void openPage(PageRenderer& r, int index, int side)
{
    r.doc.currentPage = index;
    r.st.editSide = side;
    r.doc.setQorType();
    r.st.cache.clear();
    r.doc.PbfLoad(-1); // a page without an item file is blank
}

QPageSize pageSizeOf(const PageRenderer& r)
{
    return QPageSize(QSizeF(r.doc.pageWidth / 10.0, r.doc.pageHeight / 10.0), QPageSize::Millimeter, QString(),
                     QPageSize::ExactMatch);
}

} // namespace

bool exportPdf(PageRenderer& r, const QString& path, const QVector<int>& bookPages, int dpi,
               const std::function<void(int)>& progress, QString* error)
{
    const KeepModifiedFlag keep(r.st);
    const int savedPage = r.doc.currentPage, savedSide = r.st.editSide;
    const auto restore = qScopeGuard([&] { openPage(r, savedPage, savedSide); });
    // Written aside and put in place whole: a full disk gives a failure, not a cut-off file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write the PDF file");
        return false;
    }
    WholeWrites whole(file);
    QPdfWriter writer(&whole);
    writer.setResolution(dpi);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setCreator(QStringLiteral("Qorvale"));
    QPainter painter;
    const double scale = dpi / 254.0;
    int done = 0;
    for (int p : bookPages) {
        const BookPageRef ref = bookPageRef(p);
        openPage(r, ref.index, ref.side);
        writer.setPageSize(pageSizeOf(r));
        if (done == 0 ? !painter.begin(&writer) : !writer.newPage()) {
            *error = QStringLiteral("cannot write the PDF file");
            return false;
        }
        const QSize pagePx(nearest(r.doc.pageWidth * scale), nearest(r.doc.pageHeight * scale));
        const QImage page = renderPrinterPage(r, scale, scale, pagePx);
        if (page.isNull()) {
            *error = QStringLiteral("page %1 is too large to draw at %2 dpi").arg(p).arg(dpi);
            return false;
        }
        painter.drawImage(QPoint(0, 0), page);
        ++done;
        if (progress)
            progress(done);
    }
    // The commit does not report a failing flush of the last buffered bytes: flushed first.
    if (!painter.isActive() || !painter.end() || whole.failed() || !file.flush() || !file.commit()) {
        *error = QStringLiteral("cannot write the PDF file");
        return false;
    }
    return true;
}

} // namespace qv

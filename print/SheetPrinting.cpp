// The printed sheet of one page.
#include "SheetPrinting.h"
#include "Dialogs.h"
#include "NkPrinter.h"
#include "Numbers.h"
#include "PageRenderer.h"
#include "XRotateBitmap.h"
#include <QCoreApplication>
#include <QScopeGuard>
#include <cstring>

namespace qv {

SheetTurn printTurn(const QString& bookType, int editSide)
{
    if (bookType == QLatin1String("Reed"))
        return SheetTurn::None;
    return editSide == 1 ? SheetTurn::Clockwise : SheetTurn::CounterClockwise;
}

QImage renderPrinterPage(PageRenderer& r, double scaleX, double scaleY, QSize sheet)
{
    r.doc.setQorType();
    QImage page(nearest(r.doc.pageWidth * scaleX), nearest(r.doc.pageHeight * scaleY), QImage::Format_RGB32);
    if (page.isNull())
        return page;
    page.fill(Qt::white);
    r.printerBitmap = &page;
    r.printerScaleX = scaleX;
    r.printerScaleY = scaleY;
    r.sheetWidth = sheet.width();
    r.sheetHeight = sheet.height();
    try {
        r.drawItems(kTargetPrinter);
    } catch (const ERotateError&) {
        // What was drawn before the failure is printed.
    }
    r.printerBitmap = nullptr;
    return page;
}

namespace {

// Rows of the result done per pass: the source pixels a pass reads stay in the cache.
constexpr int kTile = 64;

template <int Bytes>
inline void copyPixel(uchar* d, const uchar* s)
{
    if constexpr (Bytes == 4) {
        uint32_t v;
        std::memcpy(&v, s, 4);
        std::memcpy(d, &v, 4);
    } else {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
    }
}

template <int Bytes, bool Clockwise>
void turnRows(const QImage& src, QImage& dst, const std::function<void(int)>& progress)
{
    const int W = src.width(), H = src.height();
    const uchar* s = src.constBits();
    const qsizetype sStride = src.bytesPerLine();
    uchar* dBits = dst.bits();
    const qsizetype dStride = dst.bytesPerLine();
    for (int y0 = 0; y0 < W; y0 += kTile) {
        const int y1 = std::min(y0 + kTile, W);
        for (int x0 = 0; x0 < H; x0 += kTile) {
            const int x1 = std::min(x0 + kTile, H);
            for (int y = y0; y < y1; ++y) {
                uchar* d = dBits + y * dStride + qsizetype(x0) * Bytes;
                // clockwise: result (x, y) is source (y, H-1-x); else source (W-1-y, x)
                const int sx = Clockwise ? y : W - 1 - y;
                const uchar* col = s + qsizetype(sx) * Bytes;
                if (Clockwise) {
                    const uchar* p = col + (H - 1 - x0) * sStride;
                    for (int x = x0; x < x1; ++x, d += Bytes, p -= sStride)
                        copyPixel<Bytes>(d, p);
                } else {
                    const uchar* p = col + x0 * sStride;
                    for (int x = x0; x < x1; ++x, d += Bytes, p += sStride)
                        copyPixel<Bytes>(d, p);
                }
            }
        }
        if (progress)
            progress(y1 - 1);
    }
}

} // namespace

QImage quarterTurn(const QImage& source, bool clockwise, const std::function<void(int)>& progress)
{
    const int depth = source.depth();
    if (source.isNull() || (depth != 24 && depth != 32))
        return {};
    QImage turned(source.height(), source.width(), source.format());
    if (turned.isNull())
        return turned;
    if (depth == 24)
        clockwise ? turnRows<3, true>(source, turned, progress) : turnRows<3, false>(source, turned, progress);
    else
        clockwise ? turnRows<4, true>(source, turned, progress) : turnRows<4, false>(source, turned, progress);
    return turned;
}

namespace {

/// The turned page, or the page itself for upright printing; the page is released as soon as
/// the turn no longer needs it.
QImage turnForPrinting(QImage page, SheetTurn turn, BusyHooks& busy)
{
    if (turn == SheetTurn::None)
        return page;
    busy.setCaption(QStringLiteral("印刷処理中..  "));
    busy.showProgress(page.width() - 1);
    QImage turned = quarterTurn(page, turn == SheetTurn::Clockwise, [&](int row) { busy.setProgress(row); });
    busy.hideProgress();
    return turned;
}

SheetOutcome failed(TNkPrinter* printer)
{
    dialogs().error(kMsgPrintFailed);
    if (printer)
        printer->Abort();
    return SheetOutcome::Failed;
}

SheetOutcome sendSheet(TNkPrinter& printer, const QImage& sheet, const std::function<void()>& openPrinterWindow)
{
    if (!printer.BeginDoc(QCoreApplication::applicationName()))
        return SheetOutcome::Lost;
    if (!printer.DrawSheet(sheet))
        return failed(&printer);
    if (openPrinterWindow)
        openPrinterWindow();
    return printer.EndDoc() ? SheetOutcome::Printed : SheetOutcome::Lost;
}

} // namespace

SheetOutcome PrintSheet(PageRenderer& r, TNkPrinter& printer, const PrinterMetrics& m, BusyHooks& busy,
                        const std::function<void()>& openPrinterWindow)
{
    busy.hourglass(true);
    busy.setCaption(QStringLiteral("印刷処理中    "));
    busy.show();
    const auto done = qScopeGuard([&] {
        busy.hideProgress();
        busy.hide();
        busy.hourglass(false);
    });
    // A page or sheet bitmap that cannot be had (no memory for it) is a sheet that fails.
    QImage page = renderPrinterPage(r, m.scaleX(), m.scaleY(), m.physical);
    if (page.isNull())
        return failed(nullptr);
    busy.setCaption(QStringLiteral("印刷処理中.   "));
    QImage turned = turnForPrinting(std::move(page), printTurn(r.doc.bookType, r.st.editSide), busy);
    if (turned.isNull())
        return failed(nullptr);
    busy.setCaption(QStringLiteral("印刷処理中... "));
    QImage sheet = cutToPrintableArea(turned, m);
    turned = QImage();
    busy.setCaption(QStringLiteral("印刷処理中...."));
    sheet.convertTo(QImage::Format_BGR888);
    return sheet.isNull() ? failed(nullptr) : sendSheet(printer, sheet, openPrinterWindow);
}

} // namespace qv

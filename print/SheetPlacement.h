#pragma once
// Where the printed page lands on the physical sheet: the printer's metrics, the part of the
// turned page that its printable area can take, and the place of the sheet picture on the
// sheet. Every sheet sent to a printer passes here, so a correction of the placement belongs
// here too.
#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QSize>

namespace qv {

/// What the printer reported of the current printer and paper (pixels, paper in 0.1 mm).
struct PrinterMetrics {
    QSize page;      // printable area
    QSize physical;  // whole sheet
    QSize paper;     // whole sheet, 0.1 mm
    QPoint offset;   // printable area from the sheet's top-left corner
    /// Printer pixels per page unit, across and down.
    double scaleX() const;
    double scaleY() const;
};

/// @brief The sheet picture: the turned page's part from the printable area's offset, in the
/// top-left corner of a white picture of the turned page's size, printable-area size.
QImage cutToPrintableArea(const QImage& turned, const PrinterMetrics& m);

/// @brief Where a sheet picture of `picture` pixels at `dpi` lies on the sheet, in points from
/// the sheet's top-left corner: its top-left corner on the printable area's (`offset` pixels).
QRectF sheetPictureRectPt(QSize picture, QPoint offset, int dpi);

} // namespace qv

// Placement of the printed page on its sheet.
#include "SheetPlacement.h"
#include "Numbers.h"
#include <algorithm>
#include <cstring>

namespace qv {

double PrinterMetrics::scaleX() const { return physical.width() / nonZero(paper.width()); }
double PrinterMetrics::scaleY() const { return physical.height() / nonZero(paper.height()); }

QImage cutToPrintableArea(const QImage& turned, const PrinterMetrics& m)
{
    QImage sheet(turned.size(), turned.format());
    if (sheet.isNull())
        return sheet;
    sheet.fill(Qt::white);
    const int bytes = turned.depth() / 8;
    const int x = std::clamp(m.offset.x(), 0, turned.width());
    const int y = std::clamp(m.offset.y(), 0, turned.height());
    const int w = std::min(m.page.width(), turned.width() - x);
    const int h = std::min(m.page.height(), turned.height() - y);
    for (int row = 0; w > 0 && row < h; ++row)
        std::memcpy(sheet.scanLine(row), turned.constScanLine(y + row) + qsizetype(x) * bytes, size_t(w) * bytes);
    return sheet;
}

QRectF sheetPictureRectPt(QSize picture, QPoint offset, int dpi)
{
    const double pt = 72.0 / nonZero(dpi);
    return QRectF(offset.x() * pt, offset.y() * pt, picture.width() * pt, picture.height() * pt);
}

} // namespace qv

#include "PoolCell.h"
#include "PoolBrowser.h"
#include "BmpCodec.h"
#include "Numbers.h"
#include <QFileInfo>
#include <QPainter>

namespace qv {
namespace {
constexpr int kCaptionHeight = 13;
constexpr int kCaptionPixels = 12;
const QColor kCaptionGrey(128, 128, 128);
const QColor kFrameBlue(0, 0, 255);
} // namespace

QRect poolPictureRect(const QRect& cell, int w, int h)
{
    // Edges in the Windows sense: right and bottom lie just outside the rectangle.
    const double L = cell.left(), T = cell.top(), R = cell.right() + 1, B = cell.bottom() + 1;
    if (h < w) {
        const double f = 79.0 * h / (2.0 * w);
        return QRect(QPoint(nearest(L + 5), nearest(T + 49 - f)), QPoint(nearest(R - 5) - 1, nearest(B - 49 + f) - 1));
    }
    const double g = 78.0 * w / (2.0 * nonZero(h));
    return QRect(QPoint(nearest(L + 44.5 - g), nearest(T + 5)), QPoint(nearest(R - 44.5 + g) - 1, nearest(B - 15) - 1));
}

void drawPoolCell(QPainter& p, const QRect& cell, const TInfos* entry, const QString& imgFolder,
                  int n, bool selected)
{
    p.fillRect(cell, Qt::white);
    if (!entry || entry->srcWidth == 0 || entry->srcHeight == 0)
        return;
    const QString file = poolCellThumbFile(imgFolder, n);
    if (file.isEmpty())
        return;
    const ImageLoadResult thumb = readBmpFile(file);
    if (thumb.ok())
        p.drawImage(poolPictureRect(cell, entry->srcWidth, entry->srcHeight), thumb.bitmap.image());

    p.save();
    const QRect caption(cell.left(), cell.bottom() + 1 - kCaptionHeight, cell.width(), kCaptionHeight);
    p.setClipRect(caption);
    QFont f = p.font();
    f.setPixelSize(kCaptionPixels);
    p.setFont(f);
    p.setPen(kCaptionGrey);
    p.drawText(caption.adjusted(5, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, entry->name);
    p.restore();

    if (selected) {
        p.save();
        p.setPen(kFrameBlue);
        p.setBrush(Qt::NoBrush);
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        p.drawRect(cell.adjusted(1, 1, -2, -2));
        p.restore();
    }
}

} // namespace qv

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
        p.drawImage(poolCellPictureRect(cell, entry->srcWidth, entry->srcHeight), thumb.bitmap.image());

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

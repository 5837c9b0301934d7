// The printer picture's sheet layout.
#include "SheetLayout.h"
#include "Numbers.h"

namespace qv {

SheetLayout LayoutSheet(const SheetLayoutInput& in)
{
    SheetLayout l;
    const int oh = in.smallSheet ? 200 : 300;
    const int ow = nearest(in.physical.width() * double(oh) / nonZero(in.physical.height()));
    // Right edge against printerRight's left edge, bottom one pixel above its bottom edge.
    l.waku = QRect(kPrinterRight.left() - ow, kPrinterRight.top() + kPrinterRight.height() - 1 - oh, ow, oh);

    const double perPxX = in.physical.width() / nonZero(ow), perPxY = in.physical.height() / nonZero(oh);
    l.mL = nearest(in.offset.x() / nonZero(perPxX));
    l.mT = nearest(in.offset.y() / nonZero(perPxY));
    l.mR = nearest((in.physical.width() - in.printable.width() - in.offset.x()) / nonZero(perPxX));
    l.mB = nearest((in.physical.height() - in.printable.height() - in.offset.y()) / nonZero(perPxY));

    l.tome = QRect(QPoint(l.waku.left() - kGuideSize.width(), kPrinterRight.top()), kGuideSize);
    l.tomeVisible = l.tome.left() >= kPrinterLeft.left() + kPrinterLeft.width();

    const int arrowLeft = l.waku.left() + ow / 2 - kArrowSize.width() / 2;
    l.hokoImg = QRect(QPoint(arrowLeft, kArrowTop), kArrowSize);
    l.hokoLeft = arrowLeft + 28;
    l.hokoImg2Left = arrowLeft + 18;

    const double W = in.page.width(), H = in.page.height();
    const double pw = nonZero(in.paper.width()), ph = nonZero(in.paper.height());
    const QSize area = in.turned ? QSize(nearest(oh * H / ph), nearest(ow * W / pw))
                                 : QSize(nearest(ow * W / pw), nearest(oh * H / ph));
    l.paperArea = QRect(QPoint(l.waku.right() + 1 - area.width(), l.waku.bottom() + 1 - area.height()), area);
    l.pintingArea = QRect(l.waku.left() + l.mR, l.waku.top() + l.mB, ow - l.mL - l.mR, oh - l.mT - l.mB);
    return l;
}

} // namespace qv

#include "SelectionGeometry.h"
#include <algorithm>
#include "ItemGeometry.h"
#include "Numbers.h"
#include "Unit2.h"
#include <cmath>
#include <numbers>

namespace qv {

namespace {
constexpr double kDegToRad = std::numbers::pi / 180.0;
}

SelBounds selectionBoundsOf(const TForm2& doc)
{
    const ItemRect r = doc.SelectMaxRect();
    return {double(r.left), double(r.top), double(r.right), double(r.bottom)};
}

QPolygon itemPolygon(const TItemStatus& it, double amp, int originX, int originY)
{
    const BoxCorners c = rectCorners(amp, it.angle * kDegToRad, it.centerY, it.centerX, it.width, it.height,
                                     originX, originY);
    return QPolygon({c[0], c[1], c[3], c[2]});
}

bool windingContains(const QPolygon& poly, QPoint p)
{
    // Counts the edges that cross the downward ray from p; an edge takes part when p's x lies
    // in its half-open x range, with a sign from its direction.
    int winding = 0;
    for (int k = 0; k < poly.size(); ++k) {
        const QPoint a = poly[k], b = poly[(k + 1) % poly.size()];
        const bool rightward = a.x() <= p.x() && p.x() < b.x();
        const bool leftward = b.x() <= p.x() && p.x() < a.x();
        if (!rightward && !leftward)
            continue;
        const qint64 cross = qint64(b.x() - a.x()) * (p.y() - a.y()) - qint64(b.y() - a.y()) * (p.x() - a.x());
        const bool edgeBelow = rightward ? cross < 0 : cross > 0;
        if (edgeBelow)
            winding += rightward ? 1 : -1;
    }
    return winding != 0;
}

QRect spanRect(QPoint a, QPoint b)
{
    // QRect(a, b).normalized() loses a pixel on each side when b lies above and left of a.
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

bool inResizeCorner(const SelBounds& b, double amp, QPoint p)
{
    return amp * b.R - 4 <= p.x() && p.x() <= amp * b.R && amp * b.B - 4 <= p.y() && p.y() <= amp * b.B;
}

ScaleRatios scaleRatiosFor(const SelBounds& b, double amp, QPoint pointer, bool free)
{
    const double rx = (nonZero(pointer.x()) / amp - nonZero(b.L)) / nonZero(b.R - b.L);
    const double ry = (nonZero(pointer.y()) / amp - nonZero(b.T)) / nonZero(b.B - b.T);
    if (free)
        return {rx, ry};
    const double s = b.B - b.T >= b.R - b.L ? ry : rx;
    return {s, s};
}

QPoint rotationCentre(const SelBounds& b, double amp, int originX, int originY)
{
    return {nearest(nonZero(b.L + b.R) / 2 * amp) + originX, nearest(nonZero(b.T + b.B) / 2 * amp) + originY};
}

double sweptAngle(QPoint centre, QPoint press, QPoint pointer)
{
    auto a = [&](QPoint p) { return std::atan2(double(centre.x() - p.x()), double(centre.y() - p.y())) / kDegToRad; };
    return a(pointer) - a(press);
}

QPoint turnAbout(QPointF p, QPoint centre, double deg)
{
    const double d = deg * kDegToRad;
    const double ux = p.x() - centre.x(), uy = p.y() - centre.y();
    return {nearest(centre.x() + ux * std::cos(d) + uy * std::sin(d)),
            nearest(centre.y() - ux * std::sin(d) + uy * std::cos(d))};
}

} // namespace qv

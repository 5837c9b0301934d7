#include "ItemGeometry.h"
#include "Numbers.h"
#include <cmath>
#include <numbers>

namespace qv {

EllipsePoints ellipsePoints(double angleDeg, double a, double b, double yc, double xc)
{
    const double A = angleDeg * std::numbers::pi / 180.0;
    const double cosA = std::cos(A), sinA = std::sin(A);
    EllipsePoints points;
    for (int k = 0; k < kEllipsePointCount; ++k) {
        const double t = k * std::numbers::pi / 180.0;
        const double ct = std::cos(t), st = std::sin(t);
        points[k] = QPoint(nearest(xc - a * ct * cosA + b * st * sinA), nearest(yc - a * ct * sinA - b * st * cosA));
    }
    return points;
}

BoxCorners rectCorners(double scale, double angleRad, double y, double x, double width, double height,
                       int32_t originX, int32_t originY)
{
    const double xc = x * scale + originX, yc = y * scale + originY;
    const double a = width / 2 * scale, b = height / 2 * scale;
    const double c = std::cos(angleRad), s = std::sin(angleRad);
    const double corners[4][2] = {{-a, -b}, {a, -b}, {-a, b}, {a, b}};
    BoxCorners out;
    for (int k = 0; k < 4; ++k) {
        const double p = corners[k][0], q = corners[k][1];
        out[k] = QPoint(nearest(xc + p * c + q * s), nearest(yc - p * s + q * c));
    }
    return out;
}

} // namespace qv

#pragma once
// Pixel geometry of turned items, shared by the item drawing and the hit test.
#include <QPoint>
#include <array>
#include <cstdint>

namespace qv {

constexpr int kEllipsePointCount = 361;
/// Biggest width or height (page units) of a turned image item.
constexpr int32_t maxRotateSize = 2000;

using EllipsePoints = std::array<QPoint, kEllipsePointCount>;
/// Corners of a box: (-a, -b), (a, -b), (-a, b), (a, b) before turning, i.e. top-left,
/// top-right, bottom-left and bottom-right of the unturned box.
using BoxCorners = std::array<QPoint, 4>;

/// @brief The negated angle: the ellipse and the screen rotation turn clockwise for a
/// positive value, items counter-clockwise.
constexpr int32_t drawAngle(int32_t angle) { return -angle; }

/// @brief The 361 points of an ellipse turned by `angleDeg`, half axes a and b, centred on
/// (xc, yc); points 0 and 360 both lie at the left end of the unturned ellipse.
EllipsePoints ellipsePoints(double angleDeg, double a, double b, double yc, double xc);

/// @brief The four corners of a box of width x height around (x, y), everything times
/// `scale`, turned by `angleRad` counter-clockwise as seen, placed at (originX, originY).
BoxCorners rectCorners(double scale, double angleRad, double y, double x, double width, double height,
                       int32_t originX, int32_t originY);

} // namespace qv

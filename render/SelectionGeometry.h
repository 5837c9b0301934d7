#pragma once
// Geometry of the selection and of the running gesture: hit test, the resize corner, scale
// ratios and the swept angle of a rotate drag. Shared by the editing tools and the overlay.
#include "QorDef.h"
#include <QPoint>
#include <QPolygon>
#include <QRect>

namespace qv {

class TForm2;

/// Left, top, right and bottom of the selection's box, page units.
struct SelBounds {
    double L = 0, T = 0, R = 0, B = 0;
};

/// @brief The bounding box of the selected items (the empty extremes when none is selected).
SelBounds selectionBoundsOf(const TForm2& doc);

/// @brief The item's box, turned by its angle, in canvas pixels (corners rounded), in the order
/// top-left, top-right, bottom-right, bottom-left.
QPolygon itemPolygon(const TItemStatus& it, double amp, int originX, int originY);

/// @brief Whether point p lies inside the polygon by a non-zero winding count.
bool windingContains(const QPolygon& poly, QPoint p);

/// @brief The rectangle with corners a and b, both inside it, whichever way it was dragged.
QRect spanRect(QPoint a, QPoint b);

/// @brief The 4-pixel corner just inside the bottom-right of the selection box; p is relative
/// to the canvas origin.
bool inResizeCorner(const SelBounds& b, double amp, QPoint p);

/// Scale ratios of a scale drag across and down.
struct ScaleRatios {
    double x = 1.0, y = 1.0;
};
/// @brief Ratios from the pointer (relative to the canvas origin): uniform from the longer side
/// unless free (Ctrl held), then per axis. The top-left corner stays put.
ScaleRatios scaleRatiosFor(const SelBounds& b, double amp, QPoint pointer, bool free);

/// @brief Middle of the selection on the canvas (pixels, origin included).
QPoint rotationCentre(const SelBounds& b, double amp, int originX, int originY);

/// @brief Angle in degrees swept from press to pointer about centre (all canvas pixels);
/// positive for a counter-clockwise sweep as seen.
double sweptAngle(QPoint centre, QPoint press, QPoint pointer);

/// @brief p turned by deg degrees counter-clockwise as seen about centre, rounded.
QPoint turnAbout(QPointF p, QPoint centre, double deg);

} // namespace qv

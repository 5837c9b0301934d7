#pragma once
// Solid rectangles written straight into 32-bit images. The page base, the surroundings and
// the many one-pixel grid lines are plain opaque spans; going through QPainter for each costs
// far more than the pixels themselves.
#include <QColor>
#include <QImage>
#include <QRect>

class QPainter;

namespace qv {

/// @brief True when fillSolid can write `c` into `image` itself.
bool canFillSolid(const QImage& image, const QColor& c);

/// @brief Fills `rect` (clipped to the image) with the opaque colour `c`, with the same pixels
/// as QPainter::fillRect gives. Returns false, leaving the image alone, when the image's format
/// or the colour's alpha needs the painter.
bool fillSolid(QImage& image, const QRect& rect, const QColor& c);

/// @brief fillSolid when it can, else QPainter::fillRect with `p`, which must be active on
/// `image` with no transform, clip or composition mode of its own.
void fillRectFast(QImage& image, QPainter& p, const QRect& rect, const QColor& c);

} // namespace qv

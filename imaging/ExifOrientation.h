#pragma once
// The EXIF orientation of a camera JPEG, and turning a bitmap upright by it.
#include "TBigBitmap.h"
#include <QByteArray>
#include <QString>

namespace qv {

/// @brief The orientation tag (1..8) of the first image of JPEG bytes or a file; 0 when there
/// is none, it holds another value, or the bytes carry no readable EXIF block.
int readExifOrientation(const QByteArray& jpegBytes);
int readExifOrientationFile(const QString& path);

/// @brief Turns a bitmap stored with the given orientation upright: 2 mirror across, 3 half
/// turn, 4 mirror down, 5 transpose, 6 quarter turn clockwise, 7 transverse, 8 quarter turn
/// counter-clockwise. Other values leave it untouched. False only when memory ran out.
bool applyExifOrientation(TBigBitmap& bitmap, int orientation);

/// @brief True for the orientations that change the pixels (2..8).
constexpr bool orientationTurns(int orientation) { return orientation >= 2 && orientation <= 8; }

} // namespace qv

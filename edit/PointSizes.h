#pragma once
// Character sizes and line spacings: the panel and the text dialog show whole points, the
// items keep page units (0.1 mm). The factor is kept at eleven decimals, so 9 pt is 32 units,
// 18 pt is 63 and 36 pt is 127.
#include "Numbers.h"

namespace qv {

inline constexpr double kMmPerPoint = 0.35277777777;

/// @brief Page units of a size in points, halves to even.
inline int32_t pointsToUnits(double points) { return nearest(points * kMmPerPoint * 10); }
/// @brief Whole points of a size in page units, halves to even.
inline int32_t unitsToPoints(double units) { return nearest(units / 10 / kMmPerPoint); }

/// The entries of the size drop-downs, in points.
inline constexpr int kSizeEntries[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

/// Largest character size and line spacing a field accepts, in points; larger input is held here.
inline constexpr int kMaxPoints = 999;

} // namespace qv

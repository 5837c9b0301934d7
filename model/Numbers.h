#pragma once
// The rounding rules used throughout page geometry.
#include <cmath>
#include <cstdint>

namespace qv {

/// @brief Nearest integer, a value exactly halfway going to the even neighbour.
inline int32_t nearest(double v) { return static_cast<int32_t>(std::nearbyint(v)); }

/// @brief Integer division dropping the fraction (towards zero).
constexpr int32_t truncDiv(int32_t a, int32_t b) { return a / b; }

/// @brief v, or 0.01 when v is 0: a safe divisor for sizes and extents.
constexpr double nonZero(double v) { return v == 0 ? 0.01 : v; }

} // namespace qv

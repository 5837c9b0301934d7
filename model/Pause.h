#pragma once
namespace qv {
/// @brief Sleeps for one of the program's fixed pauses, scaled by QORVALE_PAUSE_SCALE (default 1).
void pause(int milliseconds);
/// @brief Overrides the scale read from the environment (tests use 0).
void setPauseScale(double scale);
} // namespace qv

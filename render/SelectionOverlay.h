#pragma once
// The selection overlay of the editor canvas: item outlines, the dotted selection box, the
// scale tool's handle and anchor, the rotate tool's centre and turning outlines, the previews of
// a shape being drawn and the rubber band. It only draws: the gesture's values (scale ratios,
// swept angle, handle point) are worked out by the editing tools before the repaint.
#include <QPainter>

namespace qv {

class TForm2;
struct TMainState;

/// @brief Draws the overlay for the editor canvas with the canvas origin (ox, oy).
void drawSelection(QPainter& p, const TForm2& doc, const TMainState& st, int ox, int oy);

} // namespace qv

#pragma once
// Line splitting and placement rules of text items, free of any font.
#include <QPoint>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace qv {

inline const QString kLineBreak = QStringLiteral("\r\n");

/// @brief The text before the first `separator`; removes it and the separator from `rest`.
/// Without a separator returns all of `rest` and empties it.
QString GetWriteText(QString& rest, const QString& separator);

/// @brief The lines of an item text (CR LF separated). A closing CR LF adds no empty line;
/// an empty text has no lines.
QStringList textLines(const QString& text);

/// @brief `text` with the 62 ASCII digits and letters replaced by their full-width forms.
QString ENumToJNum(const QString& text);

/// @brief x of a line's start for alignment code `align` (0 head, 4 centre, 1 tail).
double GetHorizonalStart(int32_t align, double length, double right, double left);

/// @brief y of a column's start for alignment code `align` (2 head, 4 centre, 3 tail).
double GetVerticalStart(int32_t align, double length, double bottom, double top);

/// @brief (x, y) turned counter-clockwise as seen by `angle` radians about
/// (centreX, centreY) × scale, brought to whole pixels.
QPoint rotatePoint(double scale, double angle, double centreY, double centreX, double y, double x);

/// @brief v brought to the nearest integer, then up to the next even one when odd.
int32_t evenUp(double v);

} // namespace qv

#pragma once
// Font faces of text items: the program's standard Japanese faces mapped to installed ones,
// and fonts made by cell height as the items measure them.
#include <QFont>
#include <QString>
#include <QStringList>

namespace qv {

/// @brief Maps "ＭＳ Ｐゴシック", "ＭＳ ゴシック" and "MS UI Gothic" to the installed IPA
/// faces, then Noto Sans CJK JP. Call once at start, after the application object exists.
void installFontSubstitutions();

/// @brief The program's standard face names, as items store them: "ＭＳ Ｐゴシック",
/// "ＭＳ ゴシック" and "MS UI Gothic" (Qt keeps them in lower case among its substitutions).
const QStringList& standardFaces();

/// @brief True when `fontName` marks vertical writing (a leading "@").
bool isVerticalFace(const QString& fontName);
/// @brief The face itself: `fontName` without the "@" of vertical writing.
QString faceOf(const QString& fontName);

/// @brief Japanese faces tried in order after an item's own face (missing faces, missing glyphs).
const QStringList& japaneseFallbackFaces();

/// @brief Em size in pixels of `face` when its cell (ascent + descent) is `cellPx` high; at least 1.
int emPixelsForCell(const QString& face, int cellPx);

/// @brief A normal-weight font of `face` (with the Japanese fallbacks) whose em is `emPx` pixels.
QFont itemFont(const QString& face, int emPx);

} // namespace qv

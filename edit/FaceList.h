#pragma once
// The font faces offered for text items.
#include <QStringList>

namespace qv {

/// @brief The faces to offer, sorted and each once: the installed faces and every face name
/// that a substitution maps to an installed face, without vertical variants ("@" + face).
QStringList offeredFaces(const QStringList& installed, const QStringList& substituted);

/// @brief offeredFaces for this machine: the Japanese faces fontconfig knows and the
/// program's standard faces whose substitutes are installed.
QStringList japaneseFaces();

} // namespace qv

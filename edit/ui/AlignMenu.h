#pragma once
// The canvas pop-up menu with the alignment and distribution commands.
#include "Alignment.h"
#include <functional>

class QMenu;
class QWidget;

namespace qv {

/// @brief Builds PopupMenu1 (entries N1 to N10); choosing an entry calls run with its command.
QMenu* buildAlignMenu(QWidget* parent, const std::function<void(AlignCommand)>& run);

/// @brief Gives the canvas the menu on a right-click (on) or takes it away (off).
void attachAlignMenu(QWidget* canvas, QMenu* menu, bool on);

} // namespace qv

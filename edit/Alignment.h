#pragma once
// The alignment and distribution commands of the canvas pop-up menu. They move selected items
// along one axis (centerX or centerY) and change nothing else. Every item is measured by its
// centre and its width (or height) as stored, turned or not, as the property panel shows it.
#include "QorDef.h"

namespace qv {

enum class AlignCommand {
    Left,             // left edges meet the leftmost one
    CentreH,          // centres on one vertical line
    Right,
    Top,
    CentreV,
    Bottom,
    DistributeH,      // equal gaps between the items, left to right
    DistributeV,
};

/// @brief Runs one command on the selected items of the list (element 0 is skipped).
/// Distribution deselects an item that spans another one along the axis.
void runAlignCommand(TItemList& items, AlignCommand command);

} // namespace qv

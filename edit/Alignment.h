#pragma once
// The alignment and distribution commands of the canvas pop-up menu. They move selected items
// along one axis (centerX or centerY) and change nothing else; a turned item is measured by
// the box it covers on the page.
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

/// @brief The extent of an item along one axis as it stands on the page: its width (or height)
/// when unturned, else the width (or height) of the box its turned outline covers.
int32_t turnedExtent(const TItemStatus& item, bool horizontal);

} // namespace qv

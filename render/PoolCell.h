#pragma once
// One cell of the grids that show the photo pool (the chosen-photo grid and the design photo
// strip): the thumbnail fitted by its aspect, the caption under it, the selection frames.
#include "QorDef.h"
#include <QRect>
#include <QString>

class QPainter;

namespace qv {



/// @brief Draws the cell of pool entry n (entry null: past the end of the pool) into cell.
void drawPoolCell(QPainter& p, const QRect& cell, const TInfos* entry, const QString& imgFolder,
                  int n, bool selected);

} // namespace qv

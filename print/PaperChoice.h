#pragma once
// The automatic choice of the paper for a book type's pages.
#include <QSize>
#include <QString>

namespace qv {

class TNkPrinter;

/// @brief The sheet a page of W x H (0.1 mm) needs: turned by a quarter for every type but
/// Reed, whose pages are printed upright.
QSize wantedSheet(const QString& bookType, int pageWidth, int pageHeight);

/// How the paper was found, for the caller's record.
enum class PaperChoice { NotSettable, UserDefined, CloseWidth, Best };

/// @brief Sets the printer's paper for a wanted sheet (0.1 mm): the exact user-defined size
/// when the printer takes one (within 0.2 mm read back), else the first listed paper whose
/// width is within 0.2 mm, else the smallest paper at most 1.1 mm short on each side (the
/// first paper when none is), with the scale reset to 100 %.
PaperChoice chooseAutoPaper(TNkPrinter& printer, QSize wanted);

} // namespace qv

#pragma once
// Turning the current page into the printed sheet: the page drawn at the printer's
// resolution, turned by a quarter on raw rows, cut to the printable area and sent as one job.
#include "MainState.h"
#include "SheetPlacement.h"
#include <QImage>
#include <QPoint>
#include <QSize>
#include <functional>

namespace qv {

class PageRenderer;
class TNkPrinter;

inline const QString kMsgPrintFailed = QStringLiteral("印刷に失敗しました。");

/// Keeps the book's unsaved-changes flag through page reads that printing makes: reading a
/// page takes an undo snapshot, which would otherwise mark an unchanged book as changed.
class KeepModifiedFlag {
public:
    explicit KeepModifiedFlag(TMainState& state) : st(state), was(state.modified) {}
    ~KeepModifiedFlag() { st.modified = was; }
    KeepModifiedFlag(const KeepModifiedFlag&) = delete;
    KeepModifiedFlag& operator=(const KeepModifiedFlag&) = delete;

private:
    TMainState& st;
    bool was;
};

/// Which way the page is turned on the sheet.
enum class SheetTurn { None, Clockwise, CounterClockwise };

/// @brief The printed page's turn: none for Reed, clockwise for the left side (1), else
/// counter-clockwise.
SheetTurn printTurn(const QString& bookType, int editSide);

/// @brief The current page's items drawn on a white 32-bit bitmap of the page's size at the
/// given scales (the printer target). A failure while drawing leaves what was drawn.
QImage renderPrinterPage(PageRenderer& r, double scaleX, double scaleY, QSize sheet);

/// @brief A quarter turn of a 24- or 32-bit picture on its raw rows. progress(row) is called
/// as rows of the result are finished, with the last row finished so far.
QImage quarterTurn(const QImage& source, bool clockwise, const std::function<void(int)>& progress = {});

/// What became of a printed sheet.
enum class SheetOutcome {
    Printed,  // the printing service took it and it went out
    Failed,   // it could not be drawn for the job: "印刷に失敗しました。" was shown, the job aborted
    Lost,     // the printing service refused, dropped or stopped it (the printer says why); not
              // reported here, since the caller knows which page it was
};

/// @brief Prints the edited side of the current page as one job. openPrinterWindow is called
/// once the sheet is drawn, before the job is ended.
SheetOutcome PrintSheet(PageRenderer& r, TNkPrinter& printer, const PrinterMetrics& m, BusyHooks& busy,
                const std::function<void()>& openPrinterWindow);

} // namespace qv

#pragma once
// State that the main window owns and the document works on: the photo pool, the page image
// cache, the spread side, the busy panel and the hooks back into the window.
#include "PageImageCache.h"
#include "QorDef.h"
#include "SafeAssert.h"
#include <QPoint>
#include <functional>

namespace qv {

/// What the document needs of the busy panel and the cursor; the window fills it in.
struct BusyHooks {
    std::function<void(const QString&)> setCaption = [](const QString&) {};
    std::function<void()> show = [] {};          // GridSetOn
    std::function<void()> hide = [] {};
    std::function<void(int max)> showProgress = [](int) {};
    std::function<void(int pos)> setProgress = [](int) {};
    std::function<void()> hideProgress = [] {};
    std::function<void(bool)> hourglass = [](bool) {};
};

/// Calls from the document into controls that later parts of the window provide.
struct WindowHooks {
    std::function<int()> photoStripRow = [] { return -1; };   // current row of the design photo strip
    std::function<void()> refreshToolButtons = [] {};
    std::function<void()> selectSelectionTool = [] {};
    std::function<void()> refreshPhotoStrip = [] {};
    std::function<void(int rows)> setPoolGridRows = [](int) {}; // row count of the chosen-photo grid; repaints it
    // project save and load
    std::function<void(const QString&)> setWindowCaption = [](const QString&) {};
    std::function<void(bool)> showQorPanel = [](bool) {};
    std::function<void(bool)> enableQorPanel = [](bool) {};
    std::function<void()> restoreWork = [] {};
    std::function<void()> closeMainWindow = [] {};
    std::function<void(const QString&)> selectTypeInList = [](const QString&) {};
    std::function<void(bool)> highlightCurrentPage = [](bool) {}; // page navigator mark
    std::function<void(int)> changeMenu = [](int) {};             // working step (menuMode)

    // Hooks of the panels around the editor. Each panel sets its own when it is built; a call
    // before that is a wiring fault.
    // property panel
    std::function<void()> refreshPropertyPanel = unwiredVoid("refreshPropertyPanel");
    std::function<void()> maskPanelButtons = unwiredVoid("maskPanelButtons"); // raise and disable direction and alignment buttons
    std::function<void()> clearFontSizeChoice = unwiredVoid("clearFontSizeChoice"); // no entry chosen in cmbFontSize
    std::function<bool()> propertyFieldFocused = unwired<bool>("propertyFieldFocused"); // a size, place, angle or font-size field has the focus
    // alignment pop-up menu: given to the canvas when a press hits an item, taken away otherwise
    std::function<void(bool on)> attachAlignMenu = unwiredVoid<bool>("attachAlignMenu");
    // page navigator
    std::function<void()> rebuildNavigator = unwiredVoid("rebuildNavigator"); // for the current book type; sets the start page
    std::function<void(int pageNo, bool on)> selectPageRect = unwiredVoid<int, bool>("selectPageRect");
    std::function<void()> repaintThumbnail = unwiredVoid("repaintThumbnail"); // MPaint(1) of the current page
    // editor tools: back to the selection tool after a page switch or a strip click
    std::function<void()> returnToSelectTool = unwiredVoid("returnToSelectTool");
};

/// What the working steps need of the print column; the print panel sets these when built.
struct PrintHooks {
    enum Check { Ready = 0, NoPrinter = 1, PrinterError = 2 };
    std::function<int()> checkPrinter = unwired<int>("checkPrinter", int(PrinterError));
    std::function<void()> prepareSettings = unwiredVoid("prepareSettings");   // entering printing
    std::function<bool()> printerChosen = unwired<bool>("printerChosen");     // printer label not empty
    std::function<void(bool)> setAutoPaper = unwiredVoid<bool>("setAutoPaper");
    std::function<void()> PrintStart = unwiredVoid("PrintStart");              // builds the preview
    std::function<void()> leavePrinting = unwiredVoid("leavePrinting");        // hides papreCombo, clears the preview
    std::function<void()> clearPaperName = unwiredVoid("clearPaperName");      // empties paperLabel: the paper is chosen again
};

/// Editing state the window holds: the running gesture's preview values and the tool flags.
struct EditorView {
    bool textDialogOpened = false;
    bool scaleArmedByHover = false;
    double scaleRatioX = 1.0;
    double scaleRatioY = 1.0;
    double rotationDelta = 0.0;        // degrees
    QPoint handlePoint;                // anchor of a scale drag, centre of a rotate drag (pixels)
};

struct TMainState {
    QVector<TInfos> pool;
    TPageImageCache cache;
    int32_t editSide = 0;        // 0 none, 1 left page, 2 right page
    int32_t navEntryCount = 17;
    bool modified = false;
    bool restorePending = false;
    int poolWriteFailures = 0;   // imports that failed writing their files (a full disk)
    int32_t originX = 0;         // pixel position of spread (0, 0) on the editor canvas
    int32_t originY = 0;
    bool useMMX = false;         // SIMD resize available (chosen once at start)
    EditorView view;
    BusyHooks busy;
    WindowHooks window;
    PrintHooks print;
};

} // namespace qv

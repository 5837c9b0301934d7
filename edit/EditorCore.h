#pragma once
// The editor core: turns pointer and key input on the editor canvas into changes of the current
// page through the document's operations, and tells the window what to refresh. No widgets:
// the window translates its events into these records and applies the returned change set.
#include "QorDef.h"
#include <QPoint>
#include <optional>

namespace qv {

class PageRenderer;
class TForm2;
struct TMainState;

/// A press, move, release or double-click on the canvas, in paint-box pixels.
struct PointerInput {
    QPoint pos;
    bool shift = false;
    bool ctrl = false;
    bool dbl = false;
};

/// A key press or release; key is a Qt::Key code.
struct KeyInput {
    int key = 0;
    bool shift = false;
    bool ctrl = false;
};

/// Cursor shapes the editor asks for.
enum class EditorCursor { Default, SizeDiagonal };

/// What the window must refresh after an editing step.
struct ChangeSet {
    bool canvas = false;        // repaint the editor canvas
    bool thumbnail = false;     // redraw the current page's navigator picture
    bool properties = false;    // refresh the property panel from the selection
    bool tools = false;         // tool buttons: which is down, which are enabled
    bool zoom = false;          // zoom buttons' enabled state
    bool focusStrip = false;    // move the keyboard focus to the photo strip
    std::optional<bool> alignMenu;       // attach (true) or remove the alignment pop-up menu
    std::optional<EditorCursor> cursor;

    void merge(const ChangeSet& o);
};

/// Tool buttons ToolButton0 .. ToolButton14 by number.
enum ToolButtonId {
    kBtnSelect = 0, kBtnText = 1, kBtnRect = 2, kBtnEllipse = 3, kBtnScale = 4, kBtnRotate = 5,
    kBtnDelete = 6, kBtnFront = 7, kBtnUndo = 8, kBtnScroll = 9, kBtnZoomIn = 11, kBtnZoomOut = 12,
    kBtnBack = 14
};

class EditorCore {
public:
    EditorCore(TForm2& doc, TMainState& st, PageRenderer& view);

    // --- input ---
    ChangeSet MPLabelMouseDown(const PointerInput& in);
    ChangeSet MPLabelMouseMove(const PointerInput& in, bool buttonHeld);
    ChangeSet MPLabelMouseUp(const PointerInput& in);
    ChangeSet MPLabelDblClick(const PointerInput& in);
    /// @brief The end of a gesture whose release something else took (the canvas's pop-up
    /// menu): the button is up and the gesture's flags and previews are reset.
    ChangeSet releaseTaken();
    /// @brief Key preview of the window; returns whether the key is consumed.
    bool FormKeyDown(const KeyInput& in, ChangeSet& out);
    ChangeSet FormKeyUp();
    ChangeSet ToolButtonClick(int button);

    // --- tool state, read by the window ---
    bool itemToolsEnabled = false;   // ToolButton4, 5, 6, 7, 14
    bool rotateEnabled = false;      // ToolButton5 when exactly one item is selected
    /// @brief The tool button that shows as down for the current tool.
    int downButton() const;

    void toolmask();
    void toolshow();
    void updateRotateButton();
    void returnToSelectTool();
    /// @brief The scale tool runs with Ctrl held: texts then take no part in the scaling.
    bool freeScalingActive() const;
    /// @brief The scale drag's anchor becomes the selection's top-left corner as it is now.
    void reanchorScale();
    /// @brief Tool buttons follow the selection (the document's notSelect and deleteItem call it).
    void refreshToolButtons();
    /// @brief Changes gathered by calls from outside the input handlers (tool refreshes).
    ChangeSet takeChanges();

    /// @brief The paint-box point of spread (0, 0).
    QPoint origin() const;

private:
    TForm2& doc;
    TMainState& st;
    PageRenderer& view;
    ChangeSet pending;

    QPoint relative(QPoint pos) const { return pos - origin(); }
    void setTool(int32_t tool);
    void selectToolClick();
    int hitItemAt(QPoint rel, bool& textEdited, const PointerInput& in);
    void editTextInPlace(int index);
    void pressOnItem(int hit, const PointerInput& in);
    void pressOnEmpty();
    bool refuseRotation();
    void updateDragPreview();
    void hoverCorner(QPoint rel);
    void releaseSide(QPoint pos);
    void releaseMove(QPoint rel);
    void releaseBand(QPoint rel);
    void releaseCreate(QPoint rel);
    bool pageFull();
    void releaseRotate();
    void releaseTail();
    void ctrlKey(int key);
    QPoint arrowStep(int key) const;
};

/// @brief Scales the selected items about the selection's top-left corner (one undo snapshot,
/// taken even when refused); refused as a whole when any size would leave 10..9999.
void applyScale(TForm2& doc, double ratioX, double ratioY);

/// @brief Turns the selected items by delta degrees, angles kept in 0..359.
void applyRotation(TForm2& doc, double delta);

} // namespace qv

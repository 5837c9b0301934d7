#pragma once
// Where the page navigator puts its entries, frames and page-number labels for a book type,
// and which page side a click on an entry edits. Widget-free: sizes in pixels of the column.
#include <QRect>
#include <QString>
#include <QVector>

namespace qv {

constexpr int kNavCentreX = 37;        // the column's centre line
constexpr int kNavRightPageX = 52;     // centre of odd (right page) numbers
constexpr int kNavLeftPageX = 22;      // centre of even (left page) numbers
constexpr int kNavEntries = 17;        // frames and pictures made
constexpr int kNavLabels = 31;         // page-number labels 0..30

/// @brief Number of navigator entries: 17 in spread mode, one less without it.
int navEntryCountFor(int sheetCount, bool spreadMode);

struct NavigatorLayout {
    double scale = 1.0;                 // thumbnail pixels per page unit
    int cw = 0, ch = 0, pw = 0, ph = 0; // cover and page pictures in pixels
    int entryCount = 0;                 // N
    int labelCount = 0;                 // labels 0 .. labelCount - 1 are shown
    int scrollRange = 0;                // height of the column's contents
    bool reed = false;                  // the cover entry is hidden, numbering starts at the cover
    int startPage = 0;                  // page folder shown after a build
    int markedLabel = 0;                // page number marked after a build
    QVector<QRect> frames;              // per entry
    QVector<QRect> pictures;            // per entry
    QVector<bool> entryShown;           // per entry

    /// @brief Text of page-number label n (" 表紙 ", " 12 ", ...).
    QString labelText(int n) const;
    bool labelShown(int n) const;
    /// @brief Rectangle of label n for its text's size: centred across, in the gap under its row.
    QRect labelRect(int n, QSize size) const;
};

/// @brief The layout routine of the book type's navigator family; an unknown key gives an
/// empty layout (no entries shown).
NavigatorLayout navigatorLayout(const QString& bookType, int entryCount, int sheetCount, bool spreadMode);

/// @brief The side edited after a click on entry t at x inside a picture of the given width:
/// 0 on the cover, the half clicked on a spread, 2 on page 1 alone and 1 on the last page alone.
int navClickSide(int t, int pressX, int pictureWidth, int entryCount, bool spreadMode);

/// @brief Whether a click on entry t must switch (write and read) pages: in the print step
/// also a change of side, since the preview shows one side.
bool navClickSwitches(int t, int currentPage, int side, int previousSide, bool printStep);

} // namespace qv

#pragma once
// The page navigator's behaviour: building it for the book type (loading and drawing every page
// once), and a click on an entry, which writes the page being left and reads the chosen one.
// Widget-free: the window supplies what it must do with its controls through `host`.
#include "NavigatorLayout.h"
#include <functional>

namespace qv {

class TForm2;
struct TMainState;

constexpr int kMenuModePrint = 6;

class PageNavigator {
public:
    PageNavigator(TForm2& doc, TMainState& state);

    /// What the navigator needs of the window around it.
    struct Host {
        std::function<void(const NavigatorLayout&)> applyLayout;   // place and show the controls
        std::function<void()> drawThumbnail;                       // MPaint(1) of the current page
        std::function<void()> repaintCanvas;                       // the editor, MPaint(0)
        std::function<void(bool)> enableWindow;
        std::function<void(bool)> showPrintFrame;                  // PrtFrame
        std::function<bool()> busyCursorShowing;                   // a switch is running
        std::function<bool()> autoPaperTicked;                     // CB1 of the print step
    } host;

    NavigatorLayout layout;
    int previousSide = 0;      // side edited when the click began
    int pressXInPicture = 0;   // x of the last press inside a picture

    /// @brief Lays the navigator out for the book type, draws every page once and opens the
    /// start page (the cover; page 1 for Reed) with its label marked.
    void buildNavigator();
    /// @brief A click on entry t (its picture pictureWidth wide), after the press at pressXInPicture.
    void pageClick(int t, int pictureWidth);
    /// @brief Writes the current page, opens page folder t and draws its thumbnail; false (on
    /// the same page) when the current page could not be written.
    bool switchPage(int t);

private:
    TForm2& doc;
    TMainState& st;

    void openPage(int page);
    void finishClick();
};

} // namespace qv

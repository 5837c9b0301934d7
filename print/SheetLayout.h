#pragma once
// Where the sheet, its printable area and the page lie in the printer picture of the preview
// frame, for the current printer metrics and page.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace qv {

// Fixed parts of the printer picture (pixels inside the frame's scroll box).
inline constexpr QRect kPrinterLeft{40, 215, 17, 95};
inline constexpr QRect kPrinterRight{372, 215, 17, 95};
inline constexpr QSize kGuideSize{17, 95};   // tome, the movable paper guide
inline constexpr QSize kArrowSize{121, 17};  // hokoImg
inline constexpr int kArrowTop = 327;
inline constexpr int kCaptionTop = 313;      // hoko
inline constexpr int kCaptionBoxTop = 303;   // hokoImg2

struct SheetLayoutInput {
    QSize physical;   // whole sheet, printer pixels
    QSize printable;  // printable area, printer pixels
    QPoint offset;    // printable area from the sheet's corner, printer pixels
    QSize paper;      // whole sheet, 0.1 mm
    QSize page;       // current page W x H, 0.1 mm
    bool turned = true;       // every type but Reed lies turned on its sheet
    bool smallSheet = false;  // Fern S inner pages: a 200 pixel high outline
};

struct SheetLayout {
    QRect waku;          // the sheet's outline (paperBase takes the same bounds)
    QRect pintingArea;   // the printable area as seen (the sheet turned by a half)
    QRect paperArea;     // the page's place (printImage takes the same bounds)
    QRect tome;
    bool tomeVisible = true;
    QRect hokoImg;       // the feed arrow
    int hokoLeft = 0, hokoImg2Left = 0;
    int mL = 0, mT = 0, mR = 0, mB = 0; // unprintable margins in frame pixels, by the sheet's edges
};

/// @brief Lays out the printer picture's sheet for the given metrics and page.
SheetLayout LayoutSheet(const SheetLayoutInput& in);

} // namespace qv

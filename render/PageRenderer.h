#pragma once
// Drawing a page into one of the drawing targets: the editor canvas, a navigator thumbnail,
// the print preview and the printer bitmap. Holds the view state of the editor (scroll,
// back buffer, target images and scales). GUI-free: everything draws into QImages.
#include "Unit2.h"
#include <QImage>
#include <QPoint>
#include <QSize>
#include <functional>
#include <memory>

class QPainter;

namespace qv {

struct ScreenImageCache;
class TextShapeCache;

enum DrawTarget { kTargetEditor = 0, kTargetThumbnail = 1, kTargetPreview = 5, kTargetPrinter = 6 };

/// Captions of the hint strips above the editor: PanelNote on the cover, PanelNote2 elsewhere.
inline const QString kHintStripCover =
    QStringLiteral(" 写真は1ページに8枚までレイアウトできます。画面をダブルクリックすると文字は隠れます。");
inline const QString kHintStripPage = QStringLiteral(" 写真は1ページに8枚までレイアウトできます。");

class PageRenderer {
public:
    PageRenderer(TForm2& doc, TMainState& state);

    TForm2& doc;
    TMainState& st;

    // --- view state ---
    int32_t scrollX = 0;             // page units from the paint box middle to the page centre
    int32_t scrollY = 0;
    QSize paintBox{632, 411};        // size of PBMain
    QImage backBuffer;               // editor canvas, 32 bits, always the paint box's size
    QImage* thumbnailImage = nullptr; // target 1: the navigator picture of currentPage
    double thumbnailScale = 0.023;
    QImage* previewImage = nullptr;  // target 5: PreBm
    QImage* printerBitmap = nullptr; // target 6
    double printerScaleX = 1.0;
    double printerScaleY = 1.0;
    int32_t sheetWidth = 0;          // printer's physical sheet size in pixels
    int32_t sheetHeight = 0;

    /// Hint strip shown above the editor: 1 on the cover, 2 on other pages.
    std::function<void(int strip)> showHintStrip = [](int) {};
    /// Selection overlay, drawn last on the editor canvas.
    std::function<void(QPainter&)> drawOverlay = [](QPainter&) {};

    // --- scales and placement ---
    int32_t cPosX() const;
    int32_t cPosY() const;
    double scaleX(int target) const;
    double scaleY(int target) const;
    int32_t toPxX(int target, double v) const;
    int32_t toPxY(int target, double v) const;
    int32_t pageWidthPx(int target) const;
    int32_t pageHeightPx(int target) const;
    int32_t halfSpanX(int target) const;
    int32_t halfSpanY(int target) const;
    /// @brief The image of a target (backBuffer, thumbnail, preview, printer); nullptr if none.
    QImage* targetCanvas(int target);

    /// @brief Spread coordinates to page-relative ones of the current page and side, and back.
    QPoint CnvPointToPage(int32_t x, int32_t y) const;
    QPoint CnvPointToOrg(int32_t x, int32_t y) const;

    /// @brief Draws the current page into target 0 or 1, in the fixed order: base, hint
    /// strips, guides, items, template, overlay.
    void MPaint(int target);
    /// @brief Re-creates backBuffer when its size differs from the paint box's.
    void fitBackBuffer();
    void paintPageBase(int target);

    // --- drawing routines of the page (each in a file of its own) ---
    void drawTemplate(int target);
    void drawGuides(int target);
    void drawItems(int target);
    // Items of the current page in stacking order (ItemDrawing.cpp, PhotoDrawing.cpp).
    void drawPageItems(int target);
    void drawPageItemsReed(int target);
    void drawPhotoItem(int target, int i);
    /// @brief Draws text item i (TextItem.cpp); on targets 0, 1 and 5 it also fits the item's
    /// width, height and lineCount to the text.
    void drawTextItem(int target, int i);
    /// True while the scale tool runs with Ctrl held: text items then leave the selection.
    /// The editor sets both; a renderer that no editor drives says so with withoutEditor().
    std::function<bool()> freeScalingActive = unwired<bool>("freeScalingActive");
    /// Makes the running scale drag take its anchor afresh.
    std::function<void()> reanchorScale = unwiredVoid("reanchorScale");
    /// @brief For drawing without an editor (tools, print runs): no text leaves a selection.
    void withoutEditor();
    /// Lines of text shaped at the sizes last drawn, made on first use.
    std::shared_ptr<TextShapeCache> textShapes;
    /// Reads a pool photo again at full quality for the printer bitmap (null when it cannot be
    /// read); when unset, the pool's JPEG copy in the work folder is read.
    std::function<TBigBitmap(int poolIndex)> loadPoolPhoto;
    /// Screen-ready copies of the slot thumbnails, made once per bitmap.
    std::shared_ptr<ScreenImageCache> screenImages;

private:
    // Recorded by targetCanvas for targets 1 and 5: the image size and the page size.
    QSize recordedTarget;
    int32_t recordedPageW = 0;
    int32_t recordedPageH = 0;
    // The preview's own size, which a thumbnail drawn in between must not change.
    QSize recordedPreview;
};

} // namespace qv

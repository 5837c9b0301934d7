#pragma once
// TPrtFrame: the print preview frame, a printer seen from the front with the sheet in its
// feed, drawn to the proportions of the chosen paper, with the page picture and the picture
// of the back side.
#include "PreviewPicture.h"
#include "SheetLayout.h"
#include <QFrame>

class QLabel;
class QScrollArea;

namespace qv {

inline const QString kCaptionMakingPreview = QStringLiteral("プレビュー作成中");

class TPrtFrame : public QFrame {
public:
    explicit TPrtFrame(QWidget* parent = nullptr);

    /// @brief Places the sheet's shapes for a layout (the page picture is cleared).
    void applyLayout(const SheetLayout& layout);
    /// @brief Shows the page picture and the back-side picture (hidden when null).
    void showPictures(const PreviewPictures& pictures);
    /// @brief Clears the page picture (leaving the print step).
    void clearPicture();
    /// @brief Hides the scroll box while a preview is built, so that "プレビュー作成中" shows.
    void setBuilding(bool building);

    QFrame* printPanel = nullptr;
    QLabel* Panel10 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QFrame *printerLeft = nullptr, *printerRight = nullptr, *tome = nullptr;
    QLabel *hokoImg = nullptr, *hoko = nullptr, *Label48 = nullptr;
    QFrame *hokoImg2 = nullptr, *paperBase = nullptr, *waku = nullptr, *pintingArea = nullptr, *paperArea = nullptr;
    QLabel *printImage = nullptr, *Image4 = nullptr, *Image1 = nullptr, *Label1 = nullptr;
};

/// @brief Opens the print queue window of a printer through the desktop (the system's printer
/// settings tool, else the printing service's page of the queue); does nothing where neither
/// exists or no desktop is shown.
void OpenPrinterWindow(const QString& printerName);

} // namespace qv

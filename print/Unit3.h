#pragma once
// TPrtFrame: the print preview frame, a printer seen from the front with the sheet in its
// feed, drawn to the proportions of the chosen paper, with the page picture and the picture
// of the back side.
#include "PreviewPicture.h"
#include "SheetLayout.h"
#include <QFrame>
#include <QStringList>
#include <optional>

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

private:
    QWidget* box = nullptr; // ScrollBox1's contents
    void fitBox();
};

/// A program to start and its arguments.
struct ProgramCall {
    QString program;
    QStringList arguments;
};

/// @brief How the desktop shows the queue of the printer named exactly `printerName` among
/// `printers`: its queue viewer given that name (a viewer found on PATH); nullopt when no
/// printer has that name or the desktop has no queue viewer.
std::optional<ProgramCall> printerWindowCommand(const QString& printerName, const QStringList& printers);

/// @brief Opens the queue window of a printer of the system (printerWindowCommand); does
/// nothing where it gives none or no desktop is shown.
void OpenPrinterWindow(const QString& printerName);

} // namespace qv

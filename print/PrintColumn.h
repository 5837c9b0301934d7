#pragma once
// The settings column of the print step: printer and paper, the printer's own settings, the
// print button with its continuous-printing options, and PDF export.
#include <QPixmap>
#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;

namespace qv {

inline const QString kCaptionPdfExport = QStringLiteral("PDF書き出し");

/// A picture button: picture 0 normally, 2 under the mouse, 1 while pressed.
struct PictureButton {
    QLabel* image = nullptr;
    QLabel* label = nullptr; // transparent, on top; receives the mouse
    std::array<QPixmap, 3> pictures;
    void show(int picture) const;
};

struct TPrintColumn {
    QLabel* Label16 = nullptr;
    QLabel* printerLabel = nullptr;
    QComboBox* printerCombo = nullptr;
    QCheckBox* CB1 = nullptr;
    QLabel* paperLabel = nullptr;
    QComboBox* papreCombo = nullptr;
    PictureButton setting;   // initLabel over imgSetting
    PictureButton printing;  // printLabel over imgPrinting
    QFrame* PrintOption = nullptr;
    QCheckBox* chkPrintCont = nullptr;
    QRadioButton* rdoOdd = nullptr;
    QRadioButton* rdoEven = nullptr;
    QPushButton* btnPdfExport = nullptr;
};

/// @brief Builds the column's controls into Panel16, top to bottom.
TPrintColumn buildPrintColumn(QFrame* Panel16);
/// @brief Colours of the printer and paper labels: white on blue-grey under the mouse.
void setLabelHot(QLabel* label, bool hot);

} // namespace qv

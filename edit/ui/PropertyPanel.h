#pragma once
// The item property panel on the tool bars above the editor: position, size, angle, colour and
// the text settings of the selected items. The rules are in PanelRules; this holds the controls.
#include "PanelRules.h"
#include <QObject>
#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

namespace qv {

class PropertyPanel : public QObject {
public:
    /// Where the controls go: four panels of the window's tool area.
    struct Places {
        QFrame* place;
        QFrame* size;
        QFrame* colour;
        QFrame* text;
    };
    explicit PropertyPanel(const Places& places);

    // --- what the panel works on, given by the window ---
    std::function<TForm2*()> document = [] { return nullptr; };
    std::function<PageRenderer*()> view = [] { return nullptr; };
    /// Repaints the canvas and the current page's navigator thumbnail.
    std::function<void()> repaint = [] {};

    // --- controls ---
    QLineEdit *edtPlaceX, *edtPlaceY, *edtWidth, *edtHeight, *edtAngle;
    QComboBox *ColorBox1, *cmbFont, *cmbFontSize, *cmbRowInterval;
    QToolButton *tlbTextYoko, *tlbTextTate, *tlbTextLeft, *tlbTextCenter, *tlbTextRight;
    QLabel* lblLowResolution;   // shown when the selected photo would print coarsely

    /// @brief Shows the selection; does nothing while nothing is selected.
    void refreshPropertyPanel();
    /// @brief Writes the fields to every selected item, repaints, and shows what they hold.
    void applyPropertyPanel();
    /// @brief Raises and disables the direction and alignment buttons.
    void maskButtons();
    void clearFontSizeChoice();
    /// @brief True while a position, size, angle or size-box field has the focus.
    bool fieldFocused() const;
    /// @brief Fills the face list afresh.
    void rebuildFontList();

    /// While an Enter in a size box is handled, the closing of its drop-down applies nothing.
    bool closeUpApplies = true;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool applying = false;
    int shownColourRow = -1;   // the colour box's row for the items' colour (-1: none)

    void buildPlace(QFrame* panel);
    void buildSize(QFrame* panel);
    void buildColour(QFrame* panel);
    void buildText(QFrame* panel);
    QLineEdit* field(QWidget* parent, const char* name, bool signedInput, int maxLength, const QString& description);
    QComboBox* sizeBox(QWidget* parent, const char* name, const QString& initial, const QString& description);
    QToolButton* button(QWidget* parent, const char* name, const QString& glyph, const QString& description);
    void wire();
    void directionClicked(QToolButton* pressed);
    void alignClicked(QToolButton* pressed);
    PanelFields fields() const;
    void show(const PanelFields& f);
    void showColour(std::optional<uint32_t> colour);
    void showLowResolution();
    void sizeBoxEnter(QComboBox* box);
    void pickColour(int row);
};

} // namespace qv

#pragma once
// Tmoji: the text entry dialog. Edits the text, size, line spacing, face and writing direction
// of one text item through the exchange values; it never touches the item list itself.
#include "TextExchange.h"
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace qv {

class Tmoji : public QDialog {
public:
    /// Modal results: only Yes is applied by the caller.
    enum Result { Cancel = QDialog::Rejected, Yes = QDialog::Accepted, No = 2 };

    explicit Tmoji(QWidget* parent = nullptr);

    /// @brief Loads the values, shows the dialog modally and, when it closes with Yes, writes the
    /// input back into them. True for Yes.
    bool run(TextDialogValues& values);

    /// @brief Loads the exchange values into the controls (done every time the dialog shows).
    void FormActivate(const TextDialogValues& values);
    /// @brief The OK button: checks the input, stores it and closes with Yes.
    void Label3Click();
    /// @brief The values as the dialog holds them now (stored into the caller's on Yes).
    const TextDialogValues& current() const { return working; }

    QPlainTextEdit* Memo;
    QComboBox* ComboBox2;    // character size
    QSpinBox* SpinEdit1;     // line spacing
    QCheckBox* CheckBox1;    // vertical writing
    QComboBox* ComboBox1;    // face
    QLabel* Label1;          // the chosen face
    QPushButton* Label3;     // OK
    QPushButton* Label_0;    // cancel

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TextDialogValues working;
    bool loading = false;

    void build();
    void ComboBox2Change();
    void CheckBox1Click();
    void showChosenFace();
    void fillDialogFonts(const QString& wanted);
    TextDialogInput input() const;
};

} // namespace qv

#include "AccessibleWidget.h"
#include "PropertyPanel.h"
#include "FaceList.h"
#include "PointSizes.h"
#include <QApplication>
#include <QBoxLayout>
#include <QColorDialog>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QToolButton>

namespace qv {

namespace {

constexpr int kMaxDigits = 11;
constexpr int kFieldWidth = 40;

QColor qcolor(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
uint32_t colourValue(const QColor& c) { return rgbColor(c.red(), c.green(), c.blue()); }

QIcon swatch(uint32_t colour)
{
    QPixmap pm(14, 14);
    pm.fill(qcolor(colour));
    QPainter(&pm).drawRect(0, 0, 13, 13);
    return QIcon(pm);
}

// The standard and extended colours of the colour box, 0x00BBGGRR.
struct NamedColour {
    const char* name;
    uint32_t value;
};
const NamedColour kColours[] = {
    {"黒", 0x000000}, {"栗色", 0x000080}, {"緑", 0x008000}, {"オリーブ", 0x008080}, {"紺", 0x800000},
    {"紫", 0x800080}, {"青緑", 0x808000}, {"灰色", 0x808080}, {"銀色", 0xC0C0C0}, {"赤", 0x0000FF},
    {"ライム", 0x00FF00}, {"黄", 0x00FFFF}, {"青", 0xFF0000}, {"赤紫", 0xFF00FF}, {"水色", 0xFFFF00},
    {"白", 0xFFFFFF}, {"マネーグリーン", 0xC0DCC0}, {"スカイブルー", 0xF0CAA6}, {"クリーム", 0xF0FBFF},
    {"中間の灰色", 0xA4A0A0},
};
const QString kCustomColour = QStringLiteral("カスタム...");

// A "-" goes only into a field that is empty once its selected text is removed.
bool minusFits(const QLineEdit* e)
{
    return e->text().size() == e->selectedText().size();
}

QHBoxLayout* row(QVBoxLayout* column)
{
    auto* r = new QHBoxLayout;
    r->setSpacing(2);
    column->addLayout(r);
    return r;
}

QVBoxLayout* column(QFrame* panel)
{
    auto* c = new QVBoxLayout(panel);
    c->setContentsMargins(4, 2, 4, 2);
    c->setSpacing(2);
    return c;
}

void raise(std::initializer_list<QToolButton*> buttons, QToolButton* down = nullptr)
{
    for (QToolButton* b : buttons)
        b->setChecked(b == down);
}

} // namespace

PropertyPanel::PropertyPanel(const Places& places)
{
    buildPlace(places.place);
    buildSize(places.size);
    buildColour(places.colour);
    buildText(places.text);
    wire();
    rebuildFontList();
}

QLineEdit* PropertyPanel::field(QWidget* parent, const char* name, bool signedInput, int maxLength,
                                const QString& description)
{
    auto* e = named<QLineEdit>(parent, name, description);
    // Only digits reach the field (and a leading "-" where negative values make sense);
    // pasted text goes through the same filter.
    const QString pattern = signedInput ? QStringLiteral("-?[0-9]*") : QStringLiteral("[0-9]*");
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), e));
    e->setMaxLength(maxLength);
    e->setText(QStringLiteral("0"));
    e->setFixedWidth(kFieldWidth);
    e->setEnabled(false);   // until the first selection is shown
    e->installEventFilter(this);
    return e;
}

QComboBox* PropertyPanel::sizeBox(QWidget* parent, const char* name, const QString& initial, const QString& description)
{
    auto* box = named<QComboBox>(parent, name, description);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (int p : kSizeEntries)
        box->addItem(QString::number(p));
    box->lineEdit()->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    box->lineEdit()->setMaxLength(kMaxDigits);
    box->setCurrentIndex(-1);
    box->setEditText(initial);
    box->setFixedWidth(50);
    box->lineEdit()->installEventFilter(this);
    return box;
}

QToolButton* PropertyPanel::button(QWidget* parent, const char* name, const QString& glyph, const QString& description)
{
    auto* b = named<QToolButton>(parent, name, description);
    b->setText(glyph);
    b->setToolTip(description);
    b->setCheckable(true);
    b->setEnabled(false);
    return b;
}

void PropertyPanel::buildPlace(QFrame* panel)
{
    auto* c = column(panel);
    c->addWidget(captionLabel(panel, QStringLiteral("BOXの位置指定")));
    auto* r = row(c);
    edtPlaceX = field(panel, "edtPlaceX", true, kMaxDigits, QStringLiteral("X"));
    edtPlaceY = field(panel, "edtPlaceY", true, kMaxDigits, QStringLiteral("Y"));
    for (auto [label, edit] : {std::pair{"X", edtPlaceX}, std::pair{"Y", edtPlaceY}}) {
        r->addWidget(captionLabel(panel, QString::fromUtf8(label)));
        r->addWidget(edit);
        r->addWidget(captionLabel(panel, QStringLiteral("mm")));
    }
}

void PropertyPanel::buildSize(QFrame* panel)
{
    auto* c = column(panel);
    auto* r = row(c);
    edtWidth = field(panel, "edtWidth", false, kMaxDigits, QStringLiteral("幅"));
    edtHeight = field(panel, "edtHeight", false, kMaxDigits, QStringLiteral("高"));
    for (auto [label, edit] : {std::pair{"幅", edtWidth}, std::pair{"高", edtHeight}}) {
        r->addWidget(captionLabel(panel, QString::fromUtf8(label)));
        r->addWidget(edit);
        r->addWidget(captionLabel(panel, QStringLiteral("mm")));
    }
    lblLowResolution = named<QLabel>(panel, "lblLowResolution", QStringLiteral("解像度の警告"));
    lblLowResolution->setText(QStringLiteral("⚠"));
    lblLowResolution->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    lblLowResolution->hide();
    r->addWidget(lblLowResolution);
    auto* r2 = row(c);
    edtAngle = field(panel, "edtAngle", false, 3, QStringLiteral("角度"));
    r2->addWidget(captionLabel(panel, QStringLiteral("角度")));
    r2->addWidget(edtAngle);
    r2->addStretch(1);
}

void PropertyPanel::buildColour(QFrame* panel)
{
    auto* c = column(panel);
    auto* r = row(c);
    r->addWidget(captionLabel(panel, QStringLiteral("色")));
    ColorBox1 = named<QComboBox>(panel, "ColorBox1", QStringLiteral("色"));
    ColorBox1->setFocusPolicy(Qt::ClickFocus);   // not a tab stop
    ColorBox1->addItem(swatch(0), kCustomColour, QVariant::fromValue<uint>(0));
    for (const NamedColour& nc : kColours)
        ColorBox1->addItem(swatch(nc.value), QString::fromUtf8(nc.name), QVariant::fromValue<uint>(nc.value));
    ColorBox1->setCurrentIndex(-1);
    ColorBox1->setFixedWidth(96);
    ColorBox1->setEnabled(false);
    r->addWidget(ColorBox1);
    r->addWidget(captionLabel(panel, QStringLiteral(" 行間 ")));
    cmbRowInterval = sizeBox(panel, "cmbRowInterval", QStringLiteral("57"), QStringLiteral("行間"));
    r->addWidget(cmbRowInterval);
    auto* r2 = row(c);
    r2->addWidget(captionLabel(panel, QStringLiteral("フォント")));
    cmbFont = named<QComboBox>(panel, "cmbFont", QStringLiteral("フォント"));
    cmbFont->setFixedWidth(110);
    r2->addWidget(cmbFont);
    cmbFontSize = sizeBox(panel, "cmbFontSize", QStringLiteral("10"), QStringLiteral("文字の大きさ"));
    r2->addWidget(cmbFontSize);
    for (QWidget* w : std::initializer_list<QWidget*>{cmbFont, cmbFontSize, cmbRowInterval})
        w->setEnabled(false);
}

void PropertyPanel::buildText(QFrame* panel)
{
    auto* c = column(panel);
    auto* r = row(c);
    r->addWidget(captionLabel(panel, QStringLiteral(" 文字方向 ")));
    tlbTextYoko = button(panel, "tlbTextYoko", QStringLiteral("横"), QStringLiteral("横書き"));
    tlbTextTate = button(panel, "tlbTextTate", QStringLiteral("縦"), QStringLiteral("縦書き"));
    r->addWidget(tlbTextYoko);
    r->addWidget(tlbTextTate);
    r->addStretch(1);
    auto* r2 = row(c);
    r2->addWidget(captionLabel(panel, QStringLiteral("  文字揃え ")));
    tlbTextLeft = button(panel, "tlbTextLeft", QStringLiteral("頭"), QStringLiteral("頭揃え"));
    tlbTextCenter = button(panel, "tlbTextCenter", QStringLiteral("中"), QStringLiteral("中央揃え"));
    tlbTextRight = button(panel, "tlbTextRight", QStringLiteral("後"), QStringLiteral("後揃え"));
    for (QToolButton* b : {tlbTextLeft, tlbTextCenter, tlbTextRight})
        r2->addWidget(b);
}

void PropertyPanel::wire()
{
    for (QLineEdit* e : {edtPlaceX, edtPlaceY, edtWidth, edtHeight, edtAngle})
        connect(e, &QLineEdit::returnPressed, this, [this] { applyPropertyPanel(); });
    for (QComboBox* box : {cmbFontSize, cmbRowInterval})
        connect(box, &QComboBox::activated, this, [this] {
            if (closeUpApplies) {
                applyPropertyPanel();
                refreshPropertyPanel();
            }
        });
    connect(cmbFont, &QComboBox::activated, this, [this] {
        applyPropertyPanel();
        refreshPropertyPanel();
    });
    connect(ColorBox1, &QComboBox::activated, this, [this](int row) { pickColour(row); });
    for (QToolButton* b : {tlbTextYoko, tlbTextTate})
        connect(b, &QToolButton::clicked, this, [this, b] { directionClicked(b); });
    for (QToolButton* b : {tlbTextLeft, tlbTextCenter, tlbTextRight})
        connect(b, &QToolButton::clicked, this, [this, b] { alignClicked(b); });
}

bool PropertyPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        for (QLineEdit* e : {edtPlaceX, edtPlaceY, edtWidth, edtHeight, edtAngle})
            if (watched == e && e->isModified())
                applyPropertyPanel();
    } else if (event->type() == QEvent::KeyPress) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        for (QLineEdit* e : {edtPlaceX, edtPlaceY})
            if (watched == e && keyEvent->text() == QLatin1String("-") && !minusFits(e))
                return true;
        const int key = keyEvent->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        for (QComboBox* box : {cmbFontSize, cmbRowInterval})
            if (watched == box->lineEdit()) {
                sizeBoxEnter(box);
                return true;   // the box itself must not take the Enter as a choice
            }
    }
    return false;
}

void PropertyPanel::sizeBoxEnter(QComboBox* box)
{
    closeUpApplies = false;
    box->hidePopup();
    applyPropertyPanel();
    refreshPropertyPanel();
    closeUpApplies = true;
}

void PropertyPanel::pickColour(int row)
{
    if (row == 0) {
        const QColor chosen = QColorDialog::getColor(qcolor(ColorBox1->itemData(0).toUInt()), ColorBox1);
        if (!chosen.isValid()) {
            // Cancelled: the box shows the items' colour again, so no later Enter applies another.
            ColorBox1->setCurrentIndex(shownColourRow);
            return;
        }
        showColour(colourValue(chosen));
    }
    applyPropertyPanel();
}

void PropertyPanel::directionClicked(QToolButton* pressed)
{
    raise({tlbTextYoko, tlbTextTate}, pressed);
    if (TForm2* doc = document())
        doc->FontTateYoko(tlbTextYoko->isChecked(), tlbTextTate->isChecked());
    refreshPropertyPanel();
    applyPropertyPanel();
}

void PropertyPanel::alignClicked(QToolButton* pressed)
{
    raise({tlbTextLeft, tlbTextCenter, tlbTextRight}, pressed);
    applyPropertyPanel();
}

PanelFields PropertyPanel::fields() const
{
    PanelFields f;
    f.x = edtPlaceX->text();
    f.y = edtPlaceY->text();
    f.width = edtWidth->text();
    f.height = edtHeight->text();
    f.angle = edtAngle->text();
    if (ColorBox1->currentIndex() >= 0)
        f.color = ColorBox1->currentData().toUInt();
    f.sizeEnabled = edtWidth->isEnabled();
    f.textEnabled = cmbFont->isEnabled();
    f.face = cmbFont->currentIndex() >= 0 ? cmbFont->currentText() : QString();
    f.fontSize = cmbFontSize->currentText();
    f.lineSpacing = cmbRowInterval->currentText();
    f.direction = tlbTextYoko->isChecked() ? Direction::Horizontal
                  : tlbTextTate->isChecked() ? Direction::Vertical
                                             : Direction::None;
    f.align = tlbTextLeft->isChecked()     ? AlignButton::Start
              : tlbTextCenter->isChecked() ? AlignButton::Centre
              : tlbTextRight->isChecked()  ? AlignButton::End
                                           : AlignButton::None;
    return f;
}

void PropertyPanel::showColour(std::optional<uint32_t> colour)
{
    if (!colour) {
        ColorBox1->setCurrentIndex(-1);
        shownColourRow = -1;
        return;
    }
    // The named entries come first; the custom entry (row 0) shows any other colour.
    int row = 0;
    for (int k = 1; k < ColorBox1->count() && row == 0; ++k)
        if (ColorBox1->itemData(k).toUInt() == *colour)
            row = k;
    if (row == 0) {
        ColorBox1->setItemData(0, QVariant::fromValue<uint>(*colour));
        ColorBox1->setItemIcon(0, swatch(*colour));
    }
    ColorBox1->setCurrentIndex(row);
    shownColourRow = row;
}

void PropertyPanel::show(const PanelFields& f)
{
    const std::pair<QLineEdit*, const QString*> texts[] = {
        {edtPlaceX, &f.x}, {edtPlaceY, &f.y}, {edtWidth, &f.width}, {edtHeight, &f.height}, {edtAngle, &f.angle},
    };
    for (auto [edit, text] : texts) {
        edit->setEnabled(true);
        edit->setText(*text);
    }
    ColorBox1->setEnabled(true);
    showColour(f.color);
    for (QWidget* w : std::initializer_list<QWidget*>{cmbFont, cmbFontSize, cmbRowInterval, tlbTextYoko, tlbTextTate,
                                                      tlbTextLeft, tlbTextCenter, tlbTextRight})
        w->setEnabled(f.textEnabled);
    if (f.textEnabled) {
        for (auto [box, text] : {std::pair{cmbFontSize, &f.fontSize}, std::pair{cmbRowInterval, &f.lineSpacing}}) {
            box->setCurrentIndex(box->findText(*text));
            box->setEditText(*text);
        }
        cmbFont->setCurrentIndex(f.face.isEmpty() ? -1 : cmbFont->findText(f.face));
        raise({tlbTextYoko, tlbTextTate}, f.direction == Direction::Horizontal ? tlbTextYoko
                                          : f.direction == Direction::Vertical ? tlbTextTate
                                                                               : nullptr);
        QToolButton* const aligns[] = {tlbTextLeft, tlbTextCenter, tlbTextRight};
        raise({tlbTextLeft, tlbTextCenter, tlbTextRight}, f.align == AlignButton::None ? nullptr : aligns[int(f.align)]);
    }
    edtWidth->setEnabled(f.sizeEnabled);
    edtHeight->setEnabled(f.sizeEnabled);
}

void PropertyPanel::showLowResolution()
{
    const TForm2* doc = document();
    const QString warning = doc ? lowResolutionWarning(*doc) : QString();
    lblLowResolution->setToolTip(warning);
    lblLowResolution->setAccessibleDescription(warning);
    lblLowResolution->setVisible(!warning.isEmpty());
}

void PropertyPanel::refreshPropertyPanel()
{
    TForm2* doc = document();
    PageRenderer* v = view();
    if (!doc || !v)
        return;
    if (const auto f = readPanel(*doc, *v))
        show(*f);
    showLowResolution();
}

void PropertyPanel::applyPropertyPanel()
{
    TForm2* doc = document();
    PageRenderer* v = view();
    // A message box shown while applying takes the focus from the field; that must not apply again.
    if (!doc || !v || !doc->anySelected || applying)
        return;
    applying = true;
    const ApplyOutcome out = applyPanel(*doc, *v, fields());
    applying = false;
    if (out.applied)
        repaint();
    // Every field shows what the items now hold, also after a refused or held value.
    refreshPropertyPanel();
    for (QLineEdit* e : {edtPlaceX, edtPlaceY, edtWidth, edtHeight, edtAngle})
        e->setModified(false);
}

void PropertyPanel::maskButtons()
{
    for (QToolButton* b : {tlbTextYoko, tlbTextTate, tlbTextLeft, tlbTextCenter, tlbTextRight}) {
        b->setChecked(false);
        b->setEnabled(false);
    }
    showLowResolution();
}

void PropertyPanel::clearFontSizeChoice() { cmbFontSize->setCurrentIndex(-1); }

bool PropertyPanel::fieldFocused() const
{
    // The window's own focus: keys reach it even while another program is the active one.
    const QWidget* focus = edtWidth->window()->focusWidget();
    if (!focus)
        return false;
    for (const QWidget* w : std::initializer_list<const QWidget*>{edtPlaceX, edtPlaceY, edtWidth, edtHeight, edtAngle,
                                                                  cmbFontSize, cmbRowInterval})
        if (w == focus || w->isAncestorOf(focus))
            return true;
    return false;
}

void PropertyPanel::rebuildFontList()
{
    const QString current = cmbFont->currentText();
    cmbFont->clear();
    cmbFont->addItems(japaneseFaces());
    cmbFont->setCurrentIndex(current.isEmpty() ? -1 : cmbFont->findText(current));
}

} // namespace qv

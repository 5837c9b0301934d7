// Controls of the print settings column.
#include "PrintColumn.h"
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qv {

namespace {

template <class W>
W* named(QWidget* parent, const char* name)
{
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

QLabel* caption(QWidget* parent, const char* name, const char* text)
{
    auto* l = named<QLabel>(parent, name);
    l->setText(QString::fromUtf8(text));
    return l;
}

/// Picture k of a button: 0 normal, 1 pressed, 2 under the mouse.
QPixmap buttonPicture(const QString& text, int k)
{
    QPixmap pm(176, 34);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor face[] = {QColor(128, 128, 192), QColor(96, 96, 160), QColor(160, 160, 224)};
    p.setPen(Qt::NoPen);
    p.setBrush(face[k]);
    p.drawRoundedRect(QRectF(1, 1 + (k == 1), 174, 31), 6, 6);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, k == 1, 176, 34), Qt::AlignCenter, text);
    return pm;
}

/// A white label over a hidden drop-down list, as the printer and paper choices show.
QLabel* choiceLabel(QWidget* parent, const char* name, QComboBox* list)
{
    auto* holder = new QWidget(parent);
    holder->setFixedSize(176, 20);
    list->setParent(holder);
    list->setGeometry(0, 0, 176, 20);
    list->hide();
    auto* label = named<QLabel>(holder, name);
    label->setGeometry(0, 0, 176, 20);
    setLabelHot(label, false);
    return label;
}

PictureButton pictureButton(QWidget* parent, const char* imageName, const char* labelName, const QString& text)
{
    PictureButton b;
    auto* holder = new QWidget(parent);
    holder->setFixedSize(176, 34);
    b.image = named<QLabel>(holder, imageName);
    b.image->setGeometry(0, 0, 176, 34);
    b.label = named<QLabel>(holder, labelName);
    b.label->setGeometry(0, 0, 176, 34);
    b.label->setAccessibleName(text); // the caption is drawn into the picture
    for (int k = 0; k < 3; ++k)
        b.pictures[size_t(k)] = buttonPicture(text, k);
    b.show(0);
    return b;
}

} // namespace

void PictureButton::show(int picture) const { image->setPixmap(pictures[size_t(picture)]); }

void setLabelHot(QLabel* label, bool hot)
{
    label->setStyleSheet(hot ? QStringLiteral("color: white; background: rgb(128, 128, 192);")
                             : QStringLiteral("color: gray; background: white;"));
}

TPrintColumn buildPrintColumn(QFrame* Panel16)
{
    TPrintColumn c;
    auto* column = new QVBoxLayout(Panel16);
    column->setSpacing(3);
    c.Label16 = caption(Panel16, "Label16", "印刷する前に");
    c.Label16->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    column->addWidget(c.Label16);
    for (auto [name, text] : {std::pair{"Label51", "Step.1"}, {"Label53", "用紙をプリンタへ"}, {"Label54", "セットします。"},
                              {"Label60", "印刷するプリンタ"}})
        column->addWidget(caption(Panel16, name, text));
    c.printerCombo = named<QComboBox>(Panel16, "printerCombo");
    c.printerLabel = choiceLabel(Panel16, "printerLabel", c.printerCombo);
    column->addWidget(c.printerLabel->parentWidget());
    column->addWidget(caption(Panel16, "Label59", "用紙サイズ"));
    c.CB1 = named<QCheckBox>(Panel16, "CB1");
    c.CB1->setText(QStringLiteral("自動選択"));
    c.CB1->setChecked(true);
    column->addWidget(c.CB1);
    c.papreCombo = named<QComboBox>(Panel16, "papreCombo");
    c.paperLabel = choiceLabel(Panel16, "paperLabel", c.papreCombo);
    column->addWidget(c.paperLabel->parentWidget());
    for (auto [name, text] : {std::pair{"Label52", "Step.2"}, {"Label56", "「用紙の種類」、"}, {"Label57", "「印刷品質」を"},
                              {"Label58", "設定します。"}})
        column->addWidget(caption(Panel16, name, text));
    c.setting = pictureButton(Panel16, "imgSetting", "initLabel", QStringLiteral("プリンタの設定"));
    column->addWidget(c.setting.image->parentWidget());
    column->addWidget(caption(Panel16, "Label63", "Step.3"));
    c.printing = pictureButton(Panel16, "imgPrinting", "printLabel", QStringLiteral("印刷"));
    column->addWidget(c.printing.image->parentWidget());
    c.PrintOption = named<QFrame>(Panel16, "PrintOption");
    auto* options = new QHBoxLayout(c.PrintOption);
    options->setContentsMargins(0, 0, 0, 0);
    c.chkPrintCont = named<QCheckBox>(c.PrintOption, "chkPrintCont");
    c.chkPrintCont->setText(QStringLiteral("連続印刷"));
    c.rdoOdd = named<QRadioButton>(c.PrintOption, "rdoOdd");
    c.rdoOdd->setText(QStringLiteral("奇数"));
    c.rdoEven = named<QRadioButton>(c.PrintOption, "rdoEven");
    c.rdoEven->setText(QStringLiteral("偶数"));
    auto* oddOrEven = new QButtonGroup(c.PrintOption);
    oddOrEven->addButton(c.rdoOdd);
    oddOrEven->addButton(c.rdoEven);
    for (QWidget* w : {static_cast<QWidget*>(c.chkPrintCont), static_cast<QWidget*>(c.rdoOdd), static_cast<QWidget*>(c.rdoEven)})
        options->addWidget(w);
    column->addWidget(c.PrintOption);
    c.btnPdfExport = named<QPushButton>(Panel16, "btnPdfExport");
    c.btnPdfExport->setText(kCaptionPdfExport);
    column->addWidget(c.btnPdfExport);
    column->addStretch(1);
    return c;
}

} // namespace qv

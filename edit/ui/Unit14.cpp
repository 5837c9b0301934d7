#include "AccessibleWidget.h"
#include "Unit14.h"
#include "Dialogs.h"
#include "FaceList.h"
#include "FontSetup.h"
#include "PointSizes.h"
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>

namespace qv {

namespace {

constexpr int kMemoFontPx = 16;
const QString kOkHint = QStringLiteral("入力した文字を確定して閉じます");
const QString kCancelHint = QStringLiteral("文字を変更せずに閉じます");

} // namespace

Tmoji::Tmoji(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("moji"));
    setWindowTitle(QStringLiteral("文字"));
    setModal(true);
    build();
    // Colours of the dialog: dark window, light frame and check box, grey label text.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(90, 90, 90));
    pal.setColor(QPalette::WindowText, QColor(128, 128, 128));
    setPalette(pal);
    setAutoFillBackground(true);
    CheckBox1->setStyleSheet(QStringLiteral("QCheckBox { background: rgb(201,201,201); }"));
    Label1->setStyleSheet(QStringLiteral("QLabel { background: white; color: rgb(128,128,128); }"
                                         "QLabel:hover { background: rgb(128,128,192); color: white; }"));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void Tmoji::build()
{
    auto* grid = new QGridLayout(this);
    grid->addWidget(captionLabel(this, QStringLiteral("文字の変更")), 0, 0, 1, 4);
    Memo = named<QPlainTextEdit>(this, "Memo", QStringLiteral("文字の変更"));
    Memo->setPlainText(QStringLiteral("新しい文字"));
    Memo->setMinimumSize(360, 120);
    grid->addWidget(Memo, 1, 0, 1, 4);

    grid->addWidget(captionLabel(this, QStringLiteral("大きさ(pt)")), 2, 0);
    ComboBox2 = named<QComboBox>(this, "ComboBox2", QStringLiteral("大きさ(pt)"));
    ComboBox2->setEditable(true);
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);
    for (int p : kSizeEntries)
        ComboBox2->addItem(QString::number(p));
    ComboBox2->addItem(kSizeOther);
    ComboBox2->setCurrentIndex(-1);
    ComboBox2->setEditText(QStringLiteral("中"));
    grid->addWidget(ComboBox2, 2, 1);

    grid->addWidget(captionLabel(this, QStringLiteral("行間隔(pt)")), 2, 2);
    SpinEdit1 = named<QSpinBox>(this, "SpinEdit1", QStringLiteral("行間隔(pt)"));
    SpinEdit1->setRange(0, kMaxPoints);
    grid->addWidget(SpinEdit1, 2, 3);

    CheckBox1 = named<QCheckBox>(this, "CheckBox1", QStringLiteral("縦書き"));
    CheckBox1->setText(QStringLiteral("縦書き"));
    grid->addWidget(CheckBox1, 3, 0);
    Label1 = named<QLabel>(this, "Label1", QStringLiteral("フォントの変更"));
    Label1->setText(QStringLiteral("フォントの変更"));
    Label1->installEventFilter(this);   // a click on the face opens the face list
    grid->addWidget(Label1, 3, 1);
    ComboBox1 = named<QComboBox>(this, "ComboBox1", QStringLiteral("フォント"));
    grid->addWidget(ComboBox1, 3, 2, 1, 2);

    Label3 = named<QPushButton>(this, "Label3", QStringLiteral("OK"));
    Label3->setText(QStringLiteral("OK"));
    Label_0 = named<QPushButton>(this, "Label_0", QStringLiteral("キャンセル"));
    Label_0->setText(QStringLiteral("キャンセル"));
    for (auto [b, hint] : {std::pair{Label3, &kOkHint}, std::pair{Label_0, &kCancelHint}}) {
        b->setToolTip(*hint);
        b->setAccessibleDescription(*hint);
        b->setAutoDefault(false);   // Enter makes a new line in the text, never closes
    }
    grid->addWidget(Label3, 4, 2);
    grid->addWidget(Label_0, 4, 3);

    connect(ComboBox2, &QComboBox::currentTextChanged, this, [this] { ComboBox2Change(); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    connect(ComboBox1, &QComboBox::activated, this, [this] { showChosenFace(); });
    connect(Label3, &QPushButton::clicked, this, [this] { Label3Click(); });
    connect(Label_0, &QPushButton::clicked, this, [this] { done(No); });
}

bool Tmoji::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label1 && event->type() == QEvent::MouseButtonPress)
        ComboBox1->showPopup();
    return QDialog::eventFilter(watched, event);
}

bool Tmoji::run(TextDialogValues& values)
{
    FormActivate(values);
    // The text field takes the focus once the dialog is on screen (a hidden one cannot).
    QTimer::singleShot(0, Memo, [this] { Memo->setFocus(); });
    if (exec() != Yes)
        return false;
    values = working;
    return true;
}

void Tmoji::FormActivate(const TextDialogValues& values)
{
    loading = true;
    working = values;
    Memo->setFocus();
    ComboBox2->setCurrentIndex(sizeRowFor(values.dialogCharSize));
    SpinEdit1->setValue(std::clamp(unitsToPoints(values.dialogLineSpacing), 0, kMaxPoints));
    CheckBox1->setChecked(values.dialogVertical);
    Label1->setText(values.dialogFace);
    QString text = values.dialogText;
    Memo->setPlainText(text.replace(QLatin1String("\r\n"), QLatin1String("\n")));
    fillDialogFonts(values.dialogFace);
    showChosenFace();
    working.directionToggled = false;
    loading = false;
}

void Tmoji::fillDialogFonts(const QString& wanted)
{
    ComboBox1->clear();
    QStringList faces = japaneseFaces();
    // A face this machine lacks stays the item's face (drawn in a substitute) rather than
    // being replaced silently by the first face of the list.
    if (!wanted.isEmpty() && !faces.contains(wanted))
        faces.prepend(wanted);
    ComboBox1->addItems(faces);
    ComboBox1->setCurrentIndex(wanted.isEmpty() ? 0 : ComboBox1->findText(wanted));
}

void Tmoji::showChosenFace()
{
    const QString face = ComboBox1->currentText();
    Label1->setText(face);
    Memo->setFont(itemFont(face, kMemoFontPx));
}

TextDialogInput Tmoji::input() const
{
    const QString face = ComboBox1->currentIndex() >= 0 ? ComboBox1->currentText() : QString();
    return {Memo->toPlainText(), ComboBox2->currentText(), SpinEdit1->cleanText(), face, CheckBox1->isChecked()};
}

void Tmoji::ComboBox2Change()
{
    if (loading)
        return;
    if (const auto spacing = proposeSpacing(input(), working))
        SpinEdit1->setValue(*spacing);
}

void Tmoji::CheckBox1Click()
{
    if (loading)
        return;
    working.directionToggled = !working.directionToggled;
    Memo->setFocus();
    showChosenFace();
}

void Tmoji::Label3Click()
{
    const TextDialogInput in = input();
    // Text a page file cannot hold is never stored in part: the user chooses what replaces it.
    QString message = checkTextStorable(in.text);
    if (message.isEmpty())
        message = checkTextDialog(in);
    if (!message.isEmpty()) {
        dialogs().showmess(message);
        return;
    }
    storeTextDialog(in, working);
    showChosenFace();
    done(Yes);
}

} // namespace qv

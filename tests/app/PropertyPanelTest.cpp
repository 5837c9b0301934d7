// The property panel, the alignment menu and the text entry dialog on the real window.
#include "FontSetup.h"
#include "FormFixture.h"
#include "Numbers.h"
#include "PageRenderer.h"
#include "PaintBox.h"
#include "PanelRules.h"
#include "PropertyPanel.h"
#include "Unit14.h"
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

using namespace qv;
using namespace qv::test;

namespace {

constexpr uint32_t kRed = rgbColor(255, 0, 0);

/// A window on Palm page 3 with the canvas painted once; thumbnail repaints are counted.
struct PanelForm : FormTest {
    int thumbnails = 0;
    TForm1& open()
    {
        TForm1& f = makeForm();
        f.state.window.repaintThumbnail = [this] { ++thumbnails; };
        f.Form2->bookType = "Palm";
        f.Form2->currentPage = 3;
        f.Form2->setQorType();
        f.PBMain->resize(632, 411);
        f.MPaint(kTargetEditor);
        return f;
    }
    void type(const char* name, const QString& text)
    {
        auto* e = find<QLineEdit>(name);
        e->selectAll();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
    }
};

} // namespace

TEST_F(PanelForm, WidthTypedIntoThePanelResizesTheRectangleOnTheCanvas)
{
    TForm1& f = open();
    TForm2& doc = *f.Form2;
    doc.shapeColor = kRed;
    doc.addRect(QRect(120, -10, 40, 30), true);   // clear of the spine and the guides
    f.state.window.refreshPropertyPanel();
    type("edtWidth", "50");

    const TItemStatus& rect = doc.items[1];
    EXPECT_EQ(rect.width, 500);
    EXPECT_EQ(find<QLineEdit>("edtWidth")->text(), "50");
    EXPECT_EQ(thumbnails, 1);

    doc.notSelect();   // the selection outline would cover the box's edges
    f.MPaint(kTargetEditor);
    const int y = f.state.originY + f.renderer->toPxY(kTargetEditor, rect.centerY);
    int left = f.state.originX + f.renderer->toPxX(kTargetEditor, rect.centerX), right = left;
    while (left > 0 && f.backBuffer.pixelColor(left - 1, y) == QColor(Qt::red))
        --left;
    while (right + 1 < f.backBuffer.width() && f.backBuffer.pixelColor(right + 1, y) == QColor(Qt::red))
        ++right;
    EXPECT_NEAR(right - left, 500 * doc.amp(), 1.0);   // from the first to the last pixel of the box
}

TEST_F(PanelForm, MixedSelectionShowsEmptyFieldsAndTakesAPlaceForAll)
{
    TForm1& f = open();
    TForm2& doc = *f.Form2;
    doc.addText(0, 0, "文字");
    doc.addRect(QRect(10, 10, 40, 30), true);
    doc.allSelect();
    f.state.window.refreshPropertyPanel();
    EXPECT_FALSE(find<QLineEdit>("edtWidth")->isEnabled());
    EXPECT_EQ(find<QLineEdit>("edtPlaceX")->text(), "");
    EXPECT_FALSE(find<QComboBox>("cmbFont")->isEnabled());

    type("edtPlaceX", "5");
    const QPoint corner1 = f.renderer->CnvPointToPage(doc.items[1].centerX - doc.items[1].width / 2, 0);
    const QPoint corner2 = f.renderer->CnvPointToPage(doc.items[2].centerX - doc.items[2].width / 2, 0);
    EXPECT_NEAR(corner1.x(), 50, 1);
    EXPECT_NEAR(corner2.x(), 50, 1);

    type("edtPlaceX", "-");
    EXPECT_EQ(script.messages, QStringList("error: " + kMsgPanelFailed));
    EXPECT_EQ(find<QLineEdit>("edtPlaceX")->text(), "") << "shows what the items hold";

    f.state.window.maskPanelButtons();
    EXPECT_FALSE(find<QToolButton>("tlbTextTate")->isEnabled());
}

TEST_F(PanelForm, KnowsWhenAFieldHasTheFocus)
{
    TForm1& f = open();
    f.Form2->addText(0, 0, "文字");   // a text item enables the size boxes too
    f.state.window.refreshPropertyPanel();
    showForm();
    f.activateWindow();
    for (const char* name : {"edtAngle", "cmbRowInterval"}) {
        find(name)->setFocus();
        QCoreApplication::processEvents();
        EXPECT_TRUE(f.state.window.propertyFieldFocused()) << name;
    }
    find("ColorBox1")->setFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.state.window.propertyFieldFocused());
}

TEST_F(PanelForm, EveryControlHasAnAccessibleName)
{
    open();
    for (const char* name : {"edtPlaceX", "edtPlaceY", "edtWidth", "edtHeight", "edtAngle", "ColorBox1", "cmbFont",
                             "cmbFontSize", "cmbRowInterval", "tlbTextYoko", "tlbTextTate", "tlbTextLeft",
                             "tlbTextCenter", "tlbTextRight", "lblLowResolution"})
        EXPECT_FALSE(find(name)->accessibleName().isEmpty()) << name;
    EXPECT_EQ(find<QToolButton>("tlbTextCenter")->toolTip(), "中央揃え");
}

TEST_F(PanelForm, AlignmentMenuOnTheCanvas)
{
    TForm1& f = open();
    TForm2& doc = *f.Form2;
    doc.addRect(QRect(0, 0, 40, 30), true);
    doc.addRect(QRect(60, 40, 20, 20), true);
    doc.allSelect();
    f.state.window.attachAlignMenu(true);
    EXPECT_EQ(f.PBMain->contextMenuPolicy(), Qt::CustomContextMenu);
    QStringList captions;
    for (QAction* a : f.PopupMenu1->actions())
        captions << a->text();
    EXPECT_EQ(captions, QStringList({"左揃え(&L)", "左右中央揃え(&C)", "右揃え(&R)", "", "上揃え(&T)", "上下中央揃え(&M)",
                                     "下揃え(&B)", "", "左右均等揃え(&H)", "上下均等揃え（&V）"}));
    f.PopupMenu1->findChild<QAction*>("N3")->trigger();
    EXPECT_EQ(doc.items[1].centerX + doc.items[1].width / 2, doc.items[2].centerX + doc.items[2].width / 2);
    EXPECT_EQ(thumbnails, 1);
    f.state.window.attachAlignMenu(false);
    EXPECT_NE(f.PBMain->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(PanelForm, TextDialogExchangesItsValues)
{
    TForm1& f = open();
    Tmoji& d = *f.moji;
    TextDialogValues v;
    v.dialogText = "一\r\n二";
    v.dialogFace = "IPAGothic";
    v.dialogCharSize = 35;
    v.dialogLineSpacing = 53;
    d.FormActivate(v);
    EXPECT_EQ(d.ComboBox2->currentText(), "10");
    EXPECT_EQ(d.SpinEdit1->value(), 15);
    EXPECT_EQ(d.Memo->toPlainText(), "一\n二");
    d.ComboBox2->setCurrentIndex(4);   // 12
    EXPECT_EQ(d.SpinEdit1->value(), 18);
    d.CheckBox1->click();
    d.CheckBox1->click();
    EXPECT_FALSE(d.current().directionToggled);
    d.CheckBox1->click();
    EXPECT_TRUE(d.current().directionToggled);

    // An input method's preedit stays out of the text; its commit goes in.
    d.Memo->moveCursor(QTextCursor::End);
    QInputMethodEvent preedit(QStringLiteral("かん"), {});
    QCoreApplication::sendEvent(d.Memo, &preedit);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("漢"));
    QCoreApplication::sendEvent(d.Memo, &commit);

    d.Label3Click();
    EXPECT_EQ(d.result(), Tmoji::Yes);
    EXPECT_EQ(d.current().dialogText, "一\r\n二漢");
    EXPECT_EQ(QList<int>({d.current().dialogCharSize, d.current().dialogLineSpacing}), QList<int>({42, 63}));
    EXPECT_TRUE(d.current().dialogVertical);
    EXPECT_EQ(d.current().dialogFace, "IPAGothic");

    d.ComboBox2->setEditText("");
    d.Label3Click();
    EXPECT_EQ(script.messages, QStringList(2, "message: 文字の大きさを入力してください。"));
}

TEST_F(PanelForm, TextControlsOfOneTextItem)
{
    TForm1& f = open();
    TForm2& doc = *f.Form2;
    doc.addText(0, 0, "文字");
    f.state.window.refreshPropertyPanel();
    auto* size = find<QComboBox>("cmbFontSize");
    ASSERT_TRUE(size->isEnabled());
    EXPECT_EQ(size->currentText(), "10");
    size->lineEdit()->selectAll();
    QTest::keyClicks(size->lineEdit(), "9");
    QTest::keyClick(size->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(doc.items[1].fontSize, 32);
    size->setCurrentIndex(4);   // the entry 12 picked from the list
    emit size->activated(4);
    EXPECT_EQ(doc.items[1].fontSize, 42);

    const int32_t w = doc.items[1].width, h = doc.items[1].height;
    find<QToolButton>("tlbTextTate")->click();
    EXPECT_EQ(doc.items[1].fontName, "@ＭＳ Ｐゴシック");
    EXPECT_EQ(QList<int>({doc.items[1].width, doc.items[1].height}), QList<int>({h, w}));
    find<QToolButton>("tlbTextRight")->click();
    EXPECT_EQ(doc.items[1].textAlign, 3);
}

TEST_F(PanelForm, CancelledCustomColourLeavesTheColoursAlone)
{
    TForm1& f = open();
    TForm2& doc = *f.Form2;
    doc.shapeColor = kRed;
    doc.addRect(QRect(120, -10, 40, 30), true);
    f.state.window.refreshPropertyPanel();
    auto* box = find<QComboBox>("ColorBox1");
    EXPECT_EQ(box->currentText(), "赤");
    onNextModal([](QWidget* colourDialog) { colourDialog->close(); });   // Escape in the colour dialog
    box->setCurrentIndex(0);
    emit box->activated(0);   // "カスタム..." chosen
    type("edtPlaceX", "20");   // a later Enter in another field
    EXPECT_EQ(doc.items[1].color, kRed) << "the item keeps its colour";
    EXPECT_EQ(doc.shapeColor, kRed) << "the next shape keeps its colour";
    EXPECT_EQ(box->currentText(), "赤");

    doc.items[1].color = 0;
    f.state.window.refreshPropertyPanel();
    EXPECT_EQ(box->currentText(), "黒") << "black is a named colour, not the custom entry";
}

TEST_F(PanelForm, SeveralItemsAllTakeTheTypedPlaceAndSize)
{
    TForm1& f = open();
    TForm2& doc = *f.Form2;
    const auto pageLeft = [&](int i) {
        const TItemStatus& it = doc.items[i];
        return f.renderer->CnvPointToPage(it.centerX - nearest(it.width / 2.0), 0).x();
    };
    for (int32_t left : {46, 550}) {   // 4.6 mm shows as 5, yet is not at 5
        doc.addRect(QRect(120, -10, 40, 30), true);
        TItemStatus& it = doc.items.last();
        it.width = 300;
        it.centerX = f.renderer->CnvPointToOrg(left + 150, 0).x();
    }
    doc.allSelect();
    f.state.window.refreshPropertyPanel();
    type("edtPlaceX", "5");
    EXPECT_EQ(QList<int>({pageLeft(1), pageLeft(2)}), QList<int>({50, 50}));

    doc.items.resize(1);
    for (int32_t size : {35, 37}) {   // 10 pt and 10.5 pt, both shown as 10
        doc.addText(0, size * 20, QStringLiteral("文字"));
        doc.items.last().fontSize = size;
    }
    doc.allSelect();
    f.state.window.refreshPropertyPanel();
    auto* sizeBox = find<QComboBox>("cmbFontSize");
    sizeBox->lineEdit()->selectAll();
    QTest::keyClicks(sizeBox->lineEdit(), "10");
    QTest::keyClick(sizeBox->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(QList<int>({doc.items[1].fontSize, doc.items[2].fontSize}), QList<int>({35, 35}));
}

TEST_F(PanelForm, MinusGoesOnlyIntoAnEmptyPlaceField)
{
    TForm1& f = open();
    f.Form2->addRect(QRect(120, -10, 40, 30), true);
    f.state.window.refreshPropertyPanel();
    auto* x = find<QLineEdit>("edtPlaceX");
    x->setText("5");
    x->setCursorPosition(0);
    QTest::keyClick(x, Qt::Key_Minus);
    EXPECT_EQ(x->text(), "5") << "no minus before the digits of a non-empty field";
    x->selectAll();
    QTest::keyClick(x, Qt::Key_Minus);
    EXPECT_EQ(x->text(), "-") << "a selection typed over leaves the field empty first";
    QTest::keyClick(x, Qt::Key_Return);
    EXPECT_EQ(script.messages, QStringList("error: " + kMsgPanelFailed));
}

TEST_F(PanelForm, DefaultFaceCanBeChosenAgain)
{
    installFontSubstitutions();   // as the program does at start
    TForm1& f = open();
    TForm2& doc = *f.Form2;
    doc.addText(0, 0, "文字");
    doc.items[1].fontName = "IPAGothic";
    f.state.window.refreshPropertyPanel();
    auto* faces = find<QComboBox>("cmbFont");
    const int row = faces->findText(kDefaultFontName);
    ASSERT_GE(row, 0) << "the face of every new text is offered";
    faces->setCurrentIndex(row);
    emit faces->activated(row);
    EXPECT_EQ(doc.items[1].fontName, kDefaultFontName);
}

TEST_F(PanelForm, TextDialogButtonsSayWhatTheyDo)
{
    TForm1& f = open();
    const QPushButton* ok = f.moji->Label3;
    const QPushButton* cancel = f.moji->Label_0;
    for (const QPushButton* b : {ok, cancel}) {
        EXPECT_NE(b->toolTip(), "タイトル画面に戻ります");
        EXPECT_EQ(b->accessibleDescription(), b->toolTip());
    }
    EXPECT_NE(ok->toolTip(), cancel->toolTip());
    EXPECT_FALSE(ok->toolTip().isEmpty());
}

// The controls of the main window: names, sizes, places, hints, pictures and colours.
#include "FormFixture.h"
#include "ImageButton.h"
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>

namespace qv::test {
namespace {

QRect geometryOf(QWidget* w) { return w ? w->geometry() : QRect(); }

TEST_F(FormTest, WindowStartsAt829By569WithItsFont)
{
    makeForm();
    showForm();
    EXPECT_EQ(form->size(), QSize(829, 569));
    EXPECT_EQ(form->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(form->font().pixelSize(), 12);
    EXPECT_EQ(geometryOf(find("Qor_Panel")), QRect(0, 0, 829, 569));
}

TEST_F(FormTest, BarsAndWorkingAreasHaveTheirSizes)
{
    makeForm();
    showForm();
    EXPECT_EQ(geometryOf(find("TopMenuPanel")), QRect(0, 0, 829, 53));
    EXPECT_EQ(geometryOf(find("LowBarPanel")), QRect(0, 569 - 35, 829, 35));
    auto* mainPanel = find("MainPanel");
    EXPECT_EQ(mainPanel->geometry(), QRect(0, 53, 829, 569 - 53 - 35));
    EXPECT_EQ(find("tool")->height(), 66);
    EXPECT_EQ(find("tool")->width(), 829);
    EXPECT_EQ(find("DG")->x(), 0);
    EXPECT_EQ(find("DG")->y(), 66);
    EXPECT_EQ(find("page")->width(), 100);
    EXPECT_EQ(find("page")->geometry().right(), 828);
    auto* editor = find("main");
    EXPECT_EQ(editor->x(), find("DG")->geometry().right() + 1);
    EXPECT_EQ(editor->geometry().right() + 1, find("page")->x());
    EXPECT_EQ(find("PBMain")->parentWidget(), editor);
    // The paint box fills the editor panel below the hint strip of the page shown.
    const int strips = find("PanelNote")->isVisibleTo(editor) * find("PanelNote")->height()
        + find("PanelNote2")->isVisibleTo(editor) * find("PanelNote2")->height();
    EXPECT_EQ(find("PBMain")->width(), editor->width());
    EXPECT_EQ(find("PBMain")->height() + strips, editor->height());
    EXPECT_EQ(find("PrtFrame")->parentWidget(), find("prt"));
    EXPECT_EQ(find("SB6")->parentWidget(), find("page"));
    EXPECT_EQ(find("imgFrame1")->parentWidget(), find("Qor_Panel"));
    for (const char* name : {"ToolBar1", "ToolBar2", "Panel1", "Panel3", "Panel4", "Panel5"})
        EXPECT_EQ(find(name)->parentWidget(), find("tool")) << name;
    for (const char* name : {"Label51", "Label52", "Label53", "Label54", "Label56", "Label57", "Label58",
                             "Label59", "Label60", "Label63", "CB1"})
        EXPECT_EQ(find(name)->parentWidget(), find("Panel16")) << name;
}

TEST_F(FormTest, TopBarHoldsStepButtonsAndTheFourBookTypes)
{
    makeForm();
    auto* combo = find<QComboBox>("cmbVersion");
    ASSERT_EQ(combo->count(), 4);
    const QStringList expected{"Palm", "Cedar", "Maple", "Reed"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(combo->itemText(i), expected[i]);
    EXPECT_EQ(combo->parentWidget(), find("TopMenuPanel"));

    const std::pair<const char*, QString> steps[] = {
        {"LabelH2", "使用する写真を選びます"},
        {"LabelH3", "ページを編集・デザインします"},
        {"LabelH4", "ページを印刷します"},
    };
    for (const auto& [name, hint] : steps) {
        EXPECT_EQ(find(name)->toolTip(), hint) << name;
        EXPECT_EQ(find(name)->parentWidget(), find("TopMenuPanel")) << name;
        EXPECT_LE(find(name)->geometry().bottom(), 52) << name;
    }
}

TEST_F(FormTest, LowBarButtonsSitAtTheirPlacesWithTheirHints)
{
    makeForm();
    struct Link {
        const char* name;
        int x, width;   // width 0: not fixed
        QString hint;
    };
    const Link links[] = {
        {"LabelHelp", 31, 100, "オンラインヘルプを表示します"},
        {"LabelDownload", 140, 153, "オンラインヘルプを表示します"},
        {"Label_Quit", 527, 0, "Qorvaleエディタを終了します"},
        {"LabelSave", 612, 0, "本データを保存します"},
        {"LabelMail", 697, 108, "お問い合わせページを表示します"},
        {"LabelLoad", 200, 0, "保存したデータを開きます"},
    };
    for (const Link& l : links) {
        QWidget* w = find(l.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget(), find("LowBarPanel")) << l.name;
        EXPECT_EQ(w->x(), l.x) << l.name;
        if (l.width) {
            EXPECT_EQ(w->width(), l.width) << l.name;
        }
        EXPECT_LE(w->geometry().bottom(), 34) << l.name;
        EXPECT_EQ(w->toolTip(), l.hint) << l.name;
    }
    EXPECT_TRUE(find("LabelLoad")->isHidden());
    EXPECT_FALSE(find("LabelLoad")->isEnabled());
    EXPECT_TRUE(find("imgImport")->isHidden());
    EXPECT_FALSE(find("LabelHelp")->isHidden());
}

TEST_F(FormTest, TopMenuCoversTheWindowWithFourBookButtons)
{
    makeForm();
    EXPECT_EQ(geometryOf(find("pnlTopMenu")), QRect(0, 0, 832, 569));
    const std::pair<const char*, int> books[] = {{"Palm", 127}, {"Cedar", 272}, {"Maple", 421}, {"Reed", 568}};
    for (const auto& [key, x] : books) {
        const QByteArray label = QByteArray("lblMenu") + key, image = QByteArray("imgMenu") + key;
        EXPECT_EQ(geometryOf(find(label.constData())), QRect(x, 327, 143, 102)) << key;
        EXPECT_EQ(geometryOf(find(image.constData())), QRect(x, 327, 143, 102)) << key;
        EXPECT_EQ(find(label.constData())->parentWidget(), find("pnlTopMenu"));
    }
}

TEST_F(FormTest, EveryImageButtonHasThreeDistinctPictures)
{
    makeForm();
    const std::pair<const char*, const char*> buttons[] = {
        {"imgSentaku", "imgLstSentaku"}, {"imgDesign", "imgLstDesign"}, {"imgPrint", "imgLstPrint"},
        {"imgHelp", "imgLstHelp"}, {"imgDownload", "imgLstDownload"}, {"imgExit", "imgLstExit"},
        {"imgSave", "imgLstSave"}, {"imgOtoiawase", "imgLstOtoiawase"}, {"imgImport", "imgLstImport"},
        {"imgMenuPalm", "imgLstMenuPalm"}, {"imgMenuCedar", "imgLstMenuCedar"},
        {"imgMenuMaple", "imgLstMenuMaple"}, {"imgMenuReed", "imgLstMenuReed"},
    };
    for (const auto& [imageName, listName] : buttons) {
        auto* list = form->findChild<TImageList*>(QLatin1String(listName));
        auto* image = find<QLabel>(imageName);
        ASSERT_TRUE(list && image) << listName;
        ASSERT_EQ(list->pictures.size(), 3) << listName;
        const QImage normal = list->pictures[0].toImage(), pressed = list->pictures[1].toImage(),
                     hover = list->pictures[2].toImage();
        EXPECT_EQ(normal.size(), image->size()) << listName;
        EXPECT_NE(normal, pressed) << listName;
        EXPECT_NE(normal, hover) << listName;
        EXPECT_NE(pressed, hover) << listName;
        // The control starts on the normal picture.
        EXPECT_EQ(image->pixmap().toImage(), normal) << imageName;
    }
}

TEST_F(FormTest, BusyPanelAndProgressBarSizes)
{
    makeForm();
    auto* busy = find<QLabel>("GridSet");
    EXPECT_EQ(busy->size(), QSize(273, 113));
    EXPECT_TRUE(busy->isHidden());
    EXPECT_EQ(busy->font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(busy->font().pixelSize(), 17);
    EXPECT_TRUE(busy->font().bold());
    EXPECT_EQ(find("PBar")->size(), QSize(257, 9));
    EXPECT_EQ(find("PBar")->parentWidget(), find("PanelPBar"));
    EXPECT_EQ(find("PanelPBar")->parentWidget(), busy);
    EXPECT_TRUE(find("PanelPBar")->isHidden());
}

TEST_F(FormTest, ColourSchemeFollowsTheTable)
{
    makeForm();
    const QColor cream(255, 251, 240), toolGrey(201, 201, 201), dim(128, 128, 128);
    EXPECT_EQ(form->palette().color(QPalette::Window), cream);
    for (const char* name : {"MainPanel", "Qor_Panel", "prt", "SB6", "PanelPBar"})
        EXPECT_EQ(find(name)->palette().color(QPalette::Window), cream) << name;
    for (const char* name : {"tool", "ToolBar1", "ToolBar2", "GridSet", "Panel1", "Panel3", "Panel4", "Panel5",
                             "Panel16"})
        EXPECT_EQ(find(name)->palette().color(QPalette::Window), toolGrey) << name;
    for (const char* name : {"GridSet", "Label51", "Label52", "Label53", "Label54", "Label56", "Label57",
                             "Label58", "Label59", "Label60", "Label63", "CB1"})
        EXPECT_EQ(find(name)->palette().color(QPalette::WindowText), dim) << name;
    // The editor panel takes the document's canvas colour.
    EXPECT_EQ(find("main")->palette().color(QPalette::Window), QColor(102, 102, 102));

    // What is painted, not only what is set.
    showForm();
    const QImage toolPixels = find("tool")->grab().toImage();
    EXPECT_EQ(QColor(toolPixels.pixel(toolPixels.width() - 3, 33)), toolGrey);
    const QImage barPixels = find("LowBarPanel")->grab().toImage();
    EXPECT_EQ(QColor(barPixels.pixel(10, 17)), cream);
}

TEST_F(FormTest, FrameColoursStayInsideTheirFrames)
{
    makeForm();
    // The photo frame has a Panel5 of its own, coloured differently from the window's.
    auto* framePanel = new QFrame(find("imgFrame1"));
    framePanel->setObjectName("Panel5");
    auto* frameLabel = new QLabel(find("imgFrame1"));
    frameLabel->setObjectName("Label2");
    auto* previewBox = new QFrame(find("PrtFrame"));
    previewBox->setObjectName("ScrollBox1");
    form->applyColors();
    EXPECT_EQ(framePanel->palette().color(QPalette::Window), QColor(200, 200, 200));
    EXPECT_EQ(find("tool")->findChild<QWidget*>("Panel5")->palette().color(QPalette::Window),
              QColor(201, 201, 201));
    EXPECT_EQ(frameLabel->palette().color(QPalette::Window), QColor(255, 251, 240));
    EXPECT_EQ(previewBox->palette().color(QPalette::Window), QColor(255, 251, 240));
}

} // namespace
} // namespace qv::test

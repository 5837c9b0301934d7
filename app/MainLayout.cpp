// The controls of the main window and where they sit.
#include "BookTypes.h"
#include "NamedWidget.h"
#include "Colors.h"
#include "PaintBox.h"
#include "PageRenderer.h"
#include "Unit1.h"
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>
#include <QTableWidget>
#include <QToolBar>

namespace qv {
namespace {

template <class L>
L* bareLayout(QWidget* owner)
{
    auto* l = new L(owner);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    return l;
}

constexpr QSize kStepSize(140, 43);
constexpr int kStepTop = 5;
constexpr int kLinkTop = 4;
constexpr int kLinkHeight = 27;
constexpr QSize kBookSize(143, 102);
constexpr int kBookTop = 327;

struct LinkSpec {
    ImageButtonNames names;
    int x, width;
    const char* caption;
    const char* hint;
};

} // namespace

void TForm1::buildLayout()
{
    Qor_Panel = named<QFrame>(this, "Qor_Panel");
    bareLayout<QVBoxLayout>(this)->addWidget(Qor_Panel);

    auto* column = bareLayout<QVBoxLayout>(Qor_Panel);
    column->addWidget(buildTopBar());
    imgFrame1 = named<QFrame>(Qor_Panel, "imgFrame1");
    imgFrame1->hide();
    column->addWidget(imgFrame1, 1);
    setUpPhotoBrowser();
    column->addWidget(buildMainPanel(), 1);
    column->addWidget(buildLowBar());

    buildTopMenu();
    buildBusyPanel();
}

QFrame* TForm1::buildTopBar()
{
    TopMenuPanel = named<QFrame>(Qor_Panel, "TopMenuPanel");
    TopMenuPanel->setFixedHeight(53);
    TopMenuPanel->setFrameShape(QFrame::StyledPanel);

    auto* logo = named<QLabel>(TopMenuPanel, "LabelLogo");
    logo->setText(kAppTitle);
    QFont f = font();
    f.setPixelSize(22);
    f.setBold(true);
    logo->setFont(f);
    logo->setStyleSheet(QStringLiteral("color: rgb(170, 80, 48);"));
    logo->setGeometry(18, 10, 130, 32);

    auto step = [this](int n, const char* caption, ImageButtonNames names, const char* hint) {
        const QRect r(QPoint(172 + (n - 1) * (kStepSize.width() + 8), kStepTop), kStepSize);
        const QString text = QString::fromUtf8(caption);
        return makeImageButton(TopMenuPanel, names, r, QString::fromUtf8(hint),
                               [=](PictureState s) { return drawStepPicture(n, text, kStepSize, s); }, text);
    };
    stepSentaku = step(1, "写真を選ぶ", {"LabelH2", "imgSentaku", "imgLstSentaku"}, "使用する写真を選びます");
    stepDesign = step(2, "デザイン", {"LabelH3", "imgDesign", "imgLstDesign"}, "ページを編集・デザインします");
    stepPrint = step(3, "印刷", {"LabelH4", "imgPrint", "imgLstPrint"}, "ページを印刷します");

    cmbVersion = named<QComboBox>(TopMenuPanel, "cmbVersion");
    cmbVersion->addItems(selectableBookTypes());
    cmbVersion->setGeometry(660, 14, 120, 25);
    return TopMenuPanel;
}

QFrame* TForm1::buildLowBar()
{
    LowBarPanel = named<QFrame>(Qor_Panel, "LowBarPanel");
    LowBarPanel->setFixedHeight(35);
    LowBarPanel->setFrameShape(QFrame::StyledPanel);

    const LinkSpec specs[] = {
        {{"LabelHelp", "imgHelp", "imgLstHelp"}, 31, 100, "ヘルプ", "オンラインヘルプを表示します"},
        {{"LabelDownload", "imgDownload", "imgLstDownload"}, 140, 153, "ダウンロード", "オンラインヘルプを表示します"},
        {{"LabelLoad", "imgImport", "imgLstImport"}, 200, 80, "開く", "保存したデータを開きます"},
        {{"Label_Quit", "imgExit", "imgLstExit"}, 527, 80, "終了", "Qorvaleエディタを終了します"},
        {{"LabelSave", "imgSave", "imgLstSave"}, 612, 80, "保存", "本データを保存します"},
        {{"LabelMail", "imgOtoiawase", "imgLstOtoiawase"}, 697, 108, "お問い合わせ", "お問い合わせページを表示します"},
    };
    ImageButton* targets[] = {&linkHelp, &linkDownload, &linkImport, &linkExit, &linkSave, &linkOtoiawase};
    for (int i = 0; i < 6; ++i) {
        const LinkSpec& s = specs[i];
        const QSize size(s.width, kLinkHeight);
        const QString caption = QString::fromUtf8(s.caption);
        *targets[i] = makeImageButton(LowBarPanel, s.names, QRect(QPoint(s.x, kLinkTop), size),
                                      QString::fromUtf8(s.hint),
                                      [=](PictureState st) { return drawLinkPicture(caption, size, st); },
                                      caption);
    }
    // Opening a saved book from the bar is not offered in this layout.
    for (QLabel* w : {linkImport.image, linkImport.label}) {
        w->hide();
        w->setEnabled(false);
    }
    return LowBarPanel;
}

QFrame* TForm1::buildMainPanel()
{
    MainPanel = named<QFrame>(Qor_Panel, "MainPanel");
    auto* column = bareLayout<QVBoxLayout>(MainPanel);
    column->addWidget(buildToolArea());

    auto* row = bareLayout<QHBoxLayout>(nullptr);
    column->addLayout(row, 1);

    DG = named<QTableWidget>(MainPanel, "DG");
    DG->setFixedWidth(93);
    DG->setColumnCount(1);
    DG->setColumnWidth(0, kPhotoStripClientWidth);
    DG->verticalHeader()->setDefaultSectionSize(98);
    DG->horizontalHeader()->hide();
    DG->verticalHeader()->hide();
    DG->setShowGrid(false);
    DG->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DG->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    row->addWidget(DG);

    main = named<QFrame>(MainPanel, "main");
    PBMain = named<TPaintBox>(main, "PBMain");
    PBMain->setAccessibleName(QStringLiteral("ページ編集画面"));
    PBMain->onResize = [this] { fitBackBuffer(); };
    PBMain->onPaint = [this](QPainter& p) { PBMainPaint(p); };
    auto* editorColumn = bareLayout<QVBoxLayout>(main);
    PanelNote = named<QLabel>(main, "PanelNote");
    PanelNote->setText(kHintStripCover);
    PanelNote2 = named<QLabel>(main, "PanelNote2");
    PanelNote2->setText(kHintStripPage);
    for (QLabel* note : {PanelNote, PanelNote2}) {
        note->setAutoFillBackground(true);
        note->hide();
        editorColumn->addWidget(note);
    }
    editorColumn->addWidget(PBMain, 1);
    row->addWidget(main, 1);
    row->addWidget(buildPrintPanel(), 1);
    row->addWidget(buildNavigator());
    return MainPanel;
}

QFrame* TForm1::buildToolArea()
{
    tool = named<QFrame>(MainPanel, "tool");
    tool->setFixedHeight(66);
    // The tools and the property panel need a little more than the starting width: the window
    // keeps its size and the panel's right end shows once it is made wider.
    tool->setMinimumWidth(1);
    auto* row = bareLayout<QHBoxLayout>(tool);
    ToolBar1 = named<QToolBar>(tool, "ToolBar1");
    ToolBar2 = named<QToolBar>(tool, "ToolBar2");
    for (QToolBar* bar : {ToolBar1, ToolBar2}) {
        bar->setMovable(false);
        row->addWidget(bar);
    }
    buildToolButtons();
    for (const char* name : {"Panel1", "Panel3", "Panel4", "Panel5"})
        row->addWidget(named<QFrame>(tool, name));
    row->addStretch(1);
    return tool;
}

QFrame* TForm1::buildPrintPanel()
{
    return setUpPrintPanel();
}

QFrame* TForm1::buildNavigator()
{
    page = named<QFrame>(MainPanel, "page");
    page->setFixedWidth(100);
    SB6 = named<QScrollArea>(page, "SB6");
    SB6->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SB6->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SB6->setFixedWidth(100);
    bareLayout<QVBoxLayout>(page)->addWidget(SB6, 0, Qt::AlignLeft);
    return page;
}

void TForm1::buildTopMenu()
{
    pnlTopMenu = named<QFrame>(Qor_Panel, "pnlTopMenu");
    pnlTopMenu->setGeometry(0, 0, 832, 569);
    imgTitle = named<QLabel>(pnlTopMenu, "imgTitle");
    imgTitle->setGeometry(pnlTopMenu->rect());
    imgTitle->setPixmap(drawTitlePicture(pnlTopMenu->size()));

    const int xs[] = {127, 272, 421, 568};
    const QStringList keys = selectableBookTypes();
    for (int i = 0; i < 4; ++i) {
        const QByteArray label = "lblMenu" + keys[i].toLatin1();
        const QByteArray image = "imgMenu" + keys[i].toLatin1();
        const QByteArray list = "imgLstMenu" + keys[i].toLatin1();
        const QString key = keys[i];
        menuButtons[i] = makeImageButton(pnlTopMenu, {label.constData(), image.constData(), list.constData()},
                                         QRect(QPoint(xs[i], kBookTop), kBookSize), QString(),
                                         [=](PictureState s) { return drawBookPicture(key, kBookSize, s); },
                                         key);
    }
    pnlTopMenu->hide();
}

void TForm1::buildBusyPanel()
{
    GridSet = named<QLabel>(this, "GridSet");
    GridSet->setFixedSize(273, 113);
    GridSet->setFrameStyle(QFrame::Panel | QFrame::Raised);
    GridSet->setLineWidth(2);
    QFont f(kBusyFontName);
    f.setPixelSize(kBusyFontPixels);
    f.setBold(true);
    GridSet->setFont(f);
    GridSet->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    GridSet->setIndent(36);   // from the top: the caption sits above the progress bar

    PanelPBar = named<QFrame>(GridSet, "PanelPBar");
    PanelPBar->setGeometry(8, 84, 257, 17);
    PBar = named<QProgressBar>(PanelPBar, "PBar");
    PBar->setGeometry(0, 4, 257, 9);
    PBar->setTextVisible(false);
    PanelPBar->hide();
    GridSet->hide();
}

} // namespace qv

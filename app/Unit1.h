#pragma once
// TForm1: the main window. It owns every visible control, the busy panel and the state the
// document works on (TMainState), and runs start-up, restore of interrupted work and shutdown.
#include "ImageButton.h"
#include "MainState.h"
#include <QImage>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QAbstractScrollArea;
class QKeyEvent;
class QMouseEvent;
class QToolButton;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QMimeData;
class QPainter;
class QProgressBar;
class QScrollArea;
class QTableWidget;
class QToolBar;

namespace qv {

class EditorCore;
struct ChangeSet;
struct PointerInput;
class PageNavigator;
class PageRenderer;
class PropertyPanel;
class Tmoji;
struct TextDialogValues;
enum class AlignCommand;
class TPrintPanel;
struct TPrintColumn;
class TForm2;
class TFrame4;
class TNavPicture;
class TPaintBox;
class TimgFrame;
class TPhotoStrip;

inline const QString kAppTitle = QStringLiteral("Qorvale");
inline const QString kMsgAlreadyRunning = QStringLiteral("すでに起動しています。");
inline const QString kMsgLowDisk = QStringLiteral(
    "ファイル保存先のディスク容量が少なくなっています。このまま作業を続けると、ファイルが保存できなくなる"
    "可能性があります。残りディスク容量を確認の上、作業してください。");
inline const QString kMsgRestoreError =
    QStringLiteral("データ復元中にエラーが発生しました。作業ファイルを削除し、起動します。");
inline const QString kMsgSaveBeforeQuit = QStringLiteral("終了する前に保存しますか？");
inline const QString kCaptionBusy = QStringLiteral("処理中..");
inline const QString kCaptionPages = QStringLiteral("ページ処理中..");

/// Free bytes at or below this on the desktop's drive bring the low-space warning.
constexpr uint64_t kLowDiskBytes = 600'000'000;
constexpr int kStartWidth = 829;
constexpr int kStartHeight = 569;
constexpr int kNavigatorClientWidth = 76;
constexpr int kPhotoStripClientWidth = 89;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    /// @brief Builds the window and runs its creation steps (FormCreate).
    explicit TForm1(const QString& baseDirectory, QWidget* parent = nullptr);
    ~TForm1() override;

    /// @brief Creates the document on this window's state; call once, after the window.
    void createDocument();

    // --- state owned by the window ---
    TMainState state;
    std::unique_ptr<TForm2> Form2;
    QImage backBuffer;
    QString startupProject;        // the command-line argument, empty when none
    QString thumbCachePath;        // the photo browser's thumbnail cache
    bool thumbCacheEnabled = false;

    /// Project save, true when the book was saved; the document's once it exists.
    std::function<bool()> SaveFile;
    /// Opens the project named on the command line, true when opened; the document's once it exists.
    std::function<bool(const QString&)> openProject;

    // --- window events ---
    void FormCreate();
    void FormActivate();
    bool FormCloseQuery();
    void FormDestroy();
    void FormResize();

    void showmess(const QString& text);
    void GridSetOn();
    void quit();
    void applyColors();
    bool restoreWork();
    /// @brief restoreWork, and on an error the message and a fresh, empty work folder.
    void restoreOrStartEmpty();
    void selectTypeInList(const QString& key);
    void ChangeMenu(int mode);
    void fitBackBuffer();
    void showTopMenu();

    // --- the editor canvas ---
    std::unique_ptr<PageRenderer> renderer;   // drawing of pages; exists with the document
    /// @brief Draws the current page into target 0 (the editor) or 1 (a navigator thumbnail).
    void MPaint(int target);
    /// @brief Paint event of PBMain: the page drawn afresh, then copied in one block.
    void PBMainPaint(QPainter& p);
    void showHintStrip(int strip);

    // --- editing on the canvas: handlers translate the event and forward it to the editor ---
    std::unique_ptr<EditorCore> editor;   // exists with the document
    void MPLabelMouseDown(QMouseEvent* e);
    void MPLabelMouseMove(QMouseEvent* e);
    void MPLabelMouseUp(QMouseEvent* e);
    void MPLabelDblClick(QMouseEvent* e);
    /// @brief Key preview of the window; true when the key must not reach the focused control.
    bool FormKeyDown(QKeyEvent* e);
    void FormKeyUp(QKeyEvent* e);
    void ToolButtonClick(int button);
    /// @brief Applies what an editing step changed: tools, cursor, focus, repaints, panels.
    void applyChanges(const ChangeSet& c);
    void syncToolButtons();
    /// Tool buttons by number (ToolButton0 .. ToolButton14; 10 and 13 do not exist).
    std::array<QToolButton*, 15> ToolButton{};

    // --- working steps, book type and link bar ---
    void LabelH2Click();
    void LabelH3Click();
    void LabelH4Click();
    void chooseBookType(const QString& key);
    void cmbVersionCloseUp();
    /// @brief Converts every page to the type in cmbVersion; false (nothing changed) when the
    /// page being edited could not be written first.
    bool convertBookType();
    void resetStepPictures();
    void LabelSaveClick();
    /// @brief Window border of the working steps (sizeable) or of the top menu (fixed).
    void setWorkingBorder(bool sizeable);
    /// @brief Opens a page of the installed user guide (path as "/download/index.html") with the
    /// desktop's handler.
    void openGuidePage(const QString& path);
    // --- the print step (PrintWiring.cpp) ---
    std::unique_ptr<TPrintColumn> printColumn;
    std::unique_ptr<TPrintPanel> printPanel;   // exists with the document; fills state.print
    // --- page navigator and design photo strip (NavigatorWiring.cpp) ---
    TFrame4* frame4 = nullptr;              // the navigator column inside SB6
    TPhotoStrip* photoStrip = nullptr;      // behaviour of DG
    /// @brief The navigator's behaviour; null until the document exists.
    PageNavigator* pageNavigator();
    /// @brief Redraws the current page's navigator thumbnail (MPaint(1)).
    void drawNavigatorThumbnail();
    void Image1MouseDown(TNavPicture& picture, int x);
    /// @brief Whether a drag with this data may be dropped on PBMain.
    bool PBMainDragOver(const QMimeData* data) const;
    /// @brief Drop of the strip's photo at a point of PBMain; (0, 0) puts it at its default place.
    void PBMainDragDrop(QPoint at);

    // --- controls (names as the tests and later parts find them) ---
    QFrame* Qor_Panel = nullptr;
    QFrame* TopMenuPanel = nullptr;
    QComboBox* cmbVersion = nullptr;
    QFrame* LowBarPanel = nullptr;
    QFrame* imgFrame1 = nullptr;
    TimgFrame* photoBrowser = nullptr;   // the photo browser panel inside imgFrame1
    QFrame* MainPanel = nullptr;
    QFrame* tool = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolBar* ToolBar2 = nullptr;
    QTableWidget* DG = nullptr;
    QFrame* page = nullptr;
    QScrollArea* SB6 = nullptr;
    QFrame* main = nullptr;
    TPaintBox* PBMain = nullptr;
    QLabel* PanelNote = nullptr;
    QLabel* PanelNote2 = nullptr;
    QFrame* prt = nullptr;
    QFrame* Panel16 = nullptr;
    QFrame* PrtFrame = nullptr;
    QFrame* pnlTopMenu = nullptr;
    QLabel* imgTitle = nullptr;
    QLabel* GridSet = nullptr;
    QFrame* PanelPBar = nullptr;
    QProgressBar* PBar = nullptr;

    // --- property panel, alignment menu and text entry dialog (PropertyPanelWiring.cpp) ---
    std::unique_ptr<PropertyPanel> propertyPanel;
    QMenu* PopupMenu1 = nullptr;
    Tmoji* moji = nullptr;
    /// @brief Runs one alignment or distribution command on the selection and repaints.
    void alignCommand(AlignCommand command);
    /// @brief The modal text entry dialog, for the dialogs seam.
    bool runTextDialog(TextDialogValues& values);

    ImageButton stepSentaku, stepDesign, stepPrint;
    ImageButton linkHelp, linkDownload, linkExit, linkSave, linkOtoiawase, linkImport;
    std::array<ImageButton, 4> menuButtons;   // Palm, Cedar, Maple, Reed

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QString baseDir;
    bool activatedOnce = false;
    bool hourglassOn = false;

    void buildLayout();
    QFrame* buildTopBar();
    QFrame* buildLowBar();
    QFrame* buildMainPanel();
    QFrame* buildToolArea();
    QFrame* buildPrintPanel();
    QFrame* setUpPrintPanel();
    void connectPrintPanel();
    QFrame* buildNavigator();
    void buildTopMenu();
    void buildBusyPanel();
    void buildToolButtons();
    void wireEditor();
    void wireSteps();
    PointerInput pointerInput(QMouseEvent* e, bool dbl = false) const;
    void setUpPhotoBrowser();
    void wireBusyHooks();
    void wireWindowHooks();
    void setUpPropertyPanel();
    void setHourglass(bool on);
    void warnIfLowDisk();
    bool createWorkFolder();
    void setUpThumbCache();
    void setUpNavigator();
    void setUpPhotoStrip();
    std::shared_ptr<PageNavigator> navigatorCore; // shared: destroyed where its type is known
};

/// @brief Gives a scroll area exactly the given client (viewport) width by resizing it.
void setClientWidth(QAbstractScrollArea* area, int clientWidth);
/// @brief Lays out a widget tree now, also while it is hidden.
void layoutNow(QWidget* top);

} // namespace qv

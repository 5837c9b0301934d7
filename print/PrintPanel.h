#pragma once
// The flow of the print step behind its settings column: printer and paper state, the
// automatic paper choice, the preview, single and continuous printing, and PDF export.
#include "MainState.h"
#include "PrintColumn.h"
#include "SheetPrinting.h"
#include <QObject>
#include <functional>

namespace qv {

class PageRenderer;
class TForm2;
class TNkPrinter;
class TPrtFrame;

inline const QString kMsgNoPrinter = QStringLiteral("プリンタがインストールされていません");
inline const QString kMsgPrinterError = QStringLiteral("プリンタエラー");
inline const QString kMsgPageExtent = QStringLiteral("PageExtent Error");
inline const QString kMsgChooseOddEven = QStringLiteral("奇数ページか偶数ページを選択してください。");
inline const QString kMsgPdfFailed = QStringLiteral("PDFを書き出せませんでした。");
inline const QString kCaptionPreview = QStringLiteral("印刷プレビュー作成中...");
inline const QString kCaptionPreparing = QStringLiteral("印刷準備中...");
inline const QString kCaptionPdf = QStringLiteral("PDF書き出し中...");

/// @brief "プリンタエラー" for a sheet that did not go out: which page it was (by the number
/// its navigator label shows) and what the printing service said.
QString lostSheetMessage(const QString& bookType, int pageNo, const QString& problem);

class TPrintPanel : public QObject {
public:
    TPrintPanel(TForm2& doc, TMainState& state, PageRenderer& renderer, const TPrintColumn& column, TPrtFrame& frame,
                QWidget* window);

    /// @brief Fills the print hooks of the window's state with this panel's operations.
    void wireHooks(PrintHooks& hooks);

    // --- what the working steps call ---
    int checkPrinter();
    void prepareSettings();
    bool printerChosen() const;
    void setAutoPaper(bool on);
    void PrintStart();
    void leavePrinting();

    /// @brief Builds the preview of the edited side of the current page; mode 1 also prints it.
    /// False when the sheet did not go out (the user has been told which page).
    bool PrintPage(int mode);

    // --- handlers of the column ---
    void printerLabelClick();
    void paperLabelClick();
    void printerComboChange(int index);
    void papreComboChange(int index);
    void CB1Click();
    void initLabelClick();
    void printLabelClick();
    void exportPdfClick();
    /// The system's printer list or default printer changed.
    void systemPrinterChanged();

    TPrintColumn column;
    PrinterMetrics metrics;
    /// Opens the chosen printer's queue window after a sheet is sent.
    std::function<void(const QString&)> openPrinterWindow;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TForm2& doc;
    TMainState& st;
    PageRenderer& r;
    TPrtFrame& frame;
    QWidget* window;
    bool fillingLists = false;
    bool watching = false;
    bool printerWindowShown = false; // in this print run

    void readPrinterState();
    bool fillPrinterList();
    void fillPaperList();
    void readMetrics();
    void printRun(bool odd);
    void showPaperName(const QString& name);
    void clearPaperName();
};

} // namespace qv

// The print step's flow.
#include "PrintPanel.h"
#include "Dialogs.h"
#include "NkPrinter.h"
#include "PageRenderer.h"
#include "PaperChoice.h"
#include "Pause.h"
#include "PdfExport.h"
#include "PreviewPicture.h"
#include "Unit2.h"
#include "Unit3.h"
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>

namespace qv {

QString lostSheetMessage(const QString& bookType, int pageNo, const QString& problem)
{
    // Reed's first label is its cover and later ones count from 1.
    const int shown = bookType == QLatin1String("Reed") ? pageNo - 1 : pageNo;
    const QString page = shown <= 0 ? QStringLiteral("表紙") : QStringLiteral("%1ページ").arg(shown);
    QString text = kMsgPrinterError + QStringLiteral("\n%1が印刷されませんでした。").arg(page);
    if (!problem.isEmpty())
        text += QStringLiteral("\n（%1）").arg(problem);
    return text;
}

TPrintPanel::TPrintPanel(TForm2& document, TMainState& state, PageRenderer& renderer, const TPrintColumn& c,
                         TPrtFrame& f, QWidget* w)
    : column(c), openPrinterWindow(OpenPrinterWindow), doc(document), st(state), r(renderer), frame(f), window(w)
{
    connect(c.printerCombo, &QComboBox::activated, this, &TPrintPanel::printerComboChange);
    connect(c.papreCombo, &QComboBox::activated, this, &TPrintPanel::papreComboChange);
    connect(c.CB1, &QCheckBox::toggled, this, [this] { CB1Click(); });
    connect(c.btnPdfExport, &QPushButton::clicked, this, &TPrintPanel::exportPdfClick);
    for (QObject* o : {c.printerLabel, c.paperLabel, c.setting.label, c.printing.label})
        o->installEventFilter(this);
}

void TPrintPanel::wireHooks(PrintHooks& h)
{
    h.checkPrinter = [this] { return checkPrinter(); };
    h.prepareSettings = [this] { prepareSettings(); };
    h.printerChosen = [this] { return printerChosen(); };
    h.setAutoPaper = [this](bool on) { setAutoPaper(on); };
    h.PrintStart = [this] { PrintStart(); };
    h.leavePrinting = [this] { leavePrinting(); };
    h.clearPaperName = [this] { clearPaperName(); };
}

int TPrintPanel::checkPrinter() { return int(nkPrinter().CheckNoPrinter()); }

void TPrintPanel::prepareSettings()
{
    column.printerCombo->hide();
    column.papreCombo->hide();
}

bool TPrintPanel::printerChosen() const { return !column.printerLabel->text().isEmpty(); }

void TPrintPanel::setAutoPaper(bool on) { column.CB1->setChecked(on); }

void TPrintPanel::leavePrinting()
{
    column.papreCombo->hide();
    frame.clearPicture();
    if (column.CB1->isChecked())
        clearPaperName();
}

void TPrintPanel::PrintStart()
{
    st.busy.hourglass(true);
    st.busy.setCaption(kCaptionPreview);
    frame.setBuilding(true);
    st.busy.show();
    const auto done = qScopeGuard([this] {
        frame.setBuilding(false);
        st.busy.hide();
        st.busy.hourglass(false);
    });
    TNkPrinter& printer = nkPrinter();
    if (!watching) {
        printer.setOnChange([this] { systemPrinterChanged(); });
        watching = true;
    }
    if (column.printerLabel->text().isEmpty() || column.paperLabel->text().isEmpty()) {
        if (window)
            window->repaint();
        doc.setQorType();
        chooseAutoPaper(printer, wantedSheet(doc.bookType, doc.pageWidth, doc.pageHeight));
    }
    if (!fillingLists)
        readPrinterState();
    PrintPage(0);
}

void TPrintPanel::readPrinterState()
{
    fillingLists = true;
    const auto done = qScopeGuard([this] { fillingLists = false; });
    if (!fillPrinterList())
        return;
    fillPaperList();
    if (!nkPrinter().SettingsPending())
        readMetrics();
}

bool TPrintPanel::fillPrinterList()
{
    TNkPrinter& printer = nkPrinter();
    const auto names = printer.Printers();
    column.printerCombo->clear();
    if (!names) {
        column.printerCombo->setEnabled(false);
        column.papreCombo->setEnabled(false);
        column.printerLabel->clear();
        column.printerLabel->setToolTip(QString());
        clearPaperName();
        st.busy.hide();
        return false;
    }
    column.printerCombo->setEnabled(true);
    column.printerCombo->addItems(*names);
    column.printerCombo->setCurrentIndex(printer.GetIndex());
    const QString name = printer.PrinterName();
    column.printerLabel->setText(QLatin1Char(' ') + name);
    column.printerLabel->setToolTip(name);
    return true;
}

void TPrintPanel::fillPaperList()
{
    TNkPrinter& printer = nkPrinter();
    QComboBox* list = column.papreCombo;
    list->setEnabled(false);
    list->clear();
    if (!printer.CanSetPaperSize())
        return;
    list->setEnabled(true);
    const auto names = printer.GetPaperSizeNames();
    if (!names)
        return; // left without a selection
    list->addItems(*names);
    list->setCurrentIndex(printer.GetPaperSizeIndex());
    if (!column.CB1->isChecked())
        showPaperName(list->currentText());
}

void TPrintPanel::showPaperName(const QString& name)
{
    column.paperLabel->setText(QLatin1Char(' ') + name);
    column.paperLabel->setToolTip(name);
}

void TPrintPanel::clearPaperName()
{
    // The hint names the paper shown: none while the label is empty.
    column.paperLabel->clear();
    column.paperLabel->setToolTip(QString());
}

void TPrintPanel::readMetrics()
{
    TNkPrinter& printer = nkPrinter();
    if (const auto page = printer.PageExtent())
        metrics.page = *page;
    else
        dialogs().showmess(kMsgPageExtent);
    metrics.physical = printer.PhysicalSize().value_or(metrics.physical);
    metrics.paper = printer.PaperSize().value_or(metrics.paper);
    metrics.offset = printer.PageOffset().value_or(metrics.offset);
}

bool TPrintPanel::PrintPage(int mode)
{
    st.busy.hourglass(true);
    if (mode == 1) {
        st.busy.setCaption(kCaptionPreparing);
        st.busy.show();
    }
    doc.setQorType();
    SheetLayoutInput in;
    in.physical = metrics.physical;
    in.printable = metrics.page;
    in.offset = metrics.offset;
    in.paper = metrics.paper;
    in.page = {doc.pageWidth, doc.pageHeight};
    in.turned = doc.bookType != QLatin1String("Reed");
    in.smallSheet = doc.bookType == QLatin1String("Fern S") && doc.currentPage != 0;
    const SheetLayout layout = LayoutSheet(in);
    frame.applyLayout(layout);
    const PreviewPictures pictures = buildPreview(r, layout);
    frame.setBuilding(false);
    frame.showPictures(pictures);
    st.busy.hide();
    st.busy.hourglass(false);
    if (mode != 1)
        return true;
    TNkPrinter& printer = nkPrinter();
    // The queue's window once per print run, however many sheets it sends.
    const auto showQueue = [&] {
        if (!printerWindowShown && openPrinterWindow)
            openPrinterWindow(printer.PrinterName());
        printerWindowShown = true;
    };
    if (PrintSheet(r, printer, metrics, st.busy, showQueue) != SheetOutcome::Lost)
        return true;
    dialogs().showmess(lostSheetMessage(doc.bookType, doc.whatPageNo(doc.currentPage), printer.JobProblem()));
    return false;
}

void TPrintPanel::printerLabelClick()
{
    column.printerCombo->show();
    column.printerCombo->showPopup();
}

void TPrintPanel::paperLabelClick()
{
    if (column.CB1->isChecked())
        return;
    column.papreCombo->show();
    column.papreCombo->showPopup();
}

void TPrintPanel::printerComboChange(int index)
{
    if (fillingLists || index < 0)
        return;
    st.busy.hourglass(true);
    TNkPrinter& printer = nkPrinter();
    printer.SetIndex(index);
    column.printerLabel->setText(QLatin1Char(' ') + printer.PrinterName());
    column.printerCombo->hide();
    // Net effect: the new printer's lists are read and the paper is chosen afresh.
    setAutoPaper(false);
    PrintStart();
    setAutoPaper(true);
    clearPaperName();
    PrintStart();
    st.busy.hourglass(false);
}

void TPrintPanel::papreComboChange(int index)
{
    if (fillingLists || index < 0)
        return;
    TNkPrinter& printer = nkPrinter();
    printer.SetPaperSizeIndex(index);
    printer.ApplySettings();
    showPaperName(column.papreCombo->itemText(index));
    column.papreCombo->hide();
    PrintStart();
}

void TPrintPanel::CB1Click()
{
    if (column.CB1->isChecked()) {
        clearPaperName();
        column.papreCombo->hide();
        setLabelHot(column.paperLabel, false);
    } else {
        column.papreCombo->show();
    }
    PrintStart();
}

void TPrintPanel::initLabelClick()
{
    column.papreCombo->hide();
    TNkPrinter& printer = nkPrinter();
    if (!printer.ShowPrintDialog(window))
        return;
    if (column.CB1->isChecked())
        clearPaperName();
    if (printer.CanSetScale()) {
        printer.SetScale(100);
        printer.ApplySettings();
    }
    PrintStart();
}

void TPrintPanel::printLabelClick()
{
    column.papreCombo->hide();
    printerWindowShown = false; // a new print run
    if (!column.chkPrintCont->isChecked()) {
        PrintPage(1);
        return;
    }
    if (!column.rdoOdd->isChecked() && !column.rdoEven->isChecked()) {
        dialogs().showmess(kMsgChooseOddEven);
        return;
    }
    printRun(column.rdoOdd->isChecked());
}

void TPrintPanel::printRun(bool odd)
{
    // Odd pages are the right halves of page indexes 1 to 15; Reed is bound on the other side.
    const bool reed = doc.bookType == QLatin1String("Reed");
    const bool rightHalves = odd != reed;
    const int first = rightHalves ? 1 : 2, last = rightHalves ? 15 : 16;
    // The page being edited is written once; the run then only reads pages. When it cannot be
    // written it stays open and nothing is printed.
    if (!doc.writeCurrentPage())
        return;
    const KeepModifiedFlag keep(st);
    // The navigator marks page numbers: of the page being edited, then of each printed side.
    st.window.selectPageRect(doc.whatPageNo(doc.currentPage), false);
    st.editSide = rightHalves ? 2 : 1;
    for (int k = first; k <= last; ++k) {
        doc.openPage(k);
        st.window.selectPageRect(doc.whatPageNo(k), true);
        pause(500);
        const bool out = PrintPage(1);
        pause(500);
        st.window.selectPageRect(doc.whatPageNo(k), false);
        if (!out)
            return; // the user has been told which page did not go out; the rest waits
    }
}

void TPrintPanel::systemPrinterChanged()
{
    // Only the print step shows printer state; elsewhere reading the page again would drop edits.
    if (doc.menuMode != 6)
        return;
    st.busy.hourglass(true);
    {
        const KeepModifiedFlag keep(st);
        st.cache.clear();
        doc.PbfLoad(-1);
    }
    if (column.CB1->isChecked())
        clearPaperName();
    column.printerCombo->setCurrentIndex(-1);
    PrintStart();
    st.busy.hourglass(false);
}

void TPrintPanel::exportPdfClick()
{
    const QString path = dialogs().saveFile(kCaptionPdfExport, QStringLiteral("PDF (*.pdf)"), QStringLiteral("book.pdf"));
    // The export reads every page from the work folder, this one too.
    if (path.isEmpty() || !doc.writeCurrentPage())
        return;
    const auto pages = parsePageChoice(QStringLiteral("all"));
    st.busy.hourglass(true);
    st.busy.setCaption(kCaptionPdf);
    st.busy.show();
    st.busy.showProgress(int(pages->size()));
    QString error;
    const bool ok = exportPdf(r, path, *pages, kDefaultPdfDpi, [this](int k) { st.busy.setProgress(k); }, &error);
    st.busy.hideProgress();
    st.busy.hide();
    st.busy.hourglass(false);
    if (!ok)
        dialogs().error(kMsgPdfFailed);
}

bool TPrintPanel::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type t = event->type();
    const bool enter = t == QEvent::Enter, leave = t == QEvent::Leave;
    const bool press = t == QEvent::MouseButtonPress, release = t == QEvent::MouseButtonRelease;
    if (watched == column.printerLabel || watched == column.paperLabel) {
        auto* label = static_cast<QLabel*>(watched);
        const bool hoverable = label == column.printerLabel || !column.CB1->isChecked();
        if ((enter || leave) && hoverable)
            setLabelHot(label, enter);
        if (press)
            label == column.printerLabel ? printerLabelClick() : paperLabelClick();
        return false;
    }
    for (const PictureButton* b : {&column.setting, &column.printing}) {
        if (watched != b->label)
            continue;
        if (enter || leave || press || release)
            b->show(press ? 1 : enter ? 2 : 0);
        if (release) {
            b->show(2);
            b == &column.setting ? initLabelClick() : printLabelClick();
        }
    }
    return false;
}

} // namespace qv

// TNkPrinter over the printing service (CUPS): Qt's printing support for the printer and
// paper lists, the settings and the system print dialog; libcups for the margins and the jobs,
// which are sent as PDF documents of the exact sheet and watched until their fate is known.
#include "CupsJobs.h"
#include "NkPrinter.h"
#include "SheetPdf.h"
#include "SheetPlacement.h"
#include <QPageLayout>
#include <QPageSize>
#include <QPrintEngine>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>
#include <algorithm>

namespace qv {

std::optional<QSize> TNkPrinter::PaperSize()
{
    const auto physical = PhysicalSize();
    const auto dpi = Resolution();
    const auto scale = Scale();
    if (!physical || !dpi || !scale || *dpi <= 0)
        return std::nullopt;
    // Rounded, so that a sheet of whole printer pixels reads back as its own size.
    const auto tenths = [&](int px) { return qRound(double(px) * *scale * 254 / *dpi / 100); };
    return QSize(tenths(physical->width()), tenths(physical->height()));
}

namespace {

/// The finest resolution worth rendering a photo page at; finer ones only cost memory.
constexpr int kMaxUsefulDpi = 600;
/// The resolution of a printer that offers none up to that.
constexpr int kDefaultDpi = 300;

/// Options the sheet's own job sets; the print dialog's values for them are not passed on.
const char* const kJobOwnOptions[] = {"media", "PageSize", "PageRegion", "print-scaling", "fit-to-page",
                                      "landscape", "orientation-requested", "number-up", "page-ranges", "page-set"};

class SystemPrinter : public TNkPrinter {
public:
    SystemPrinter() { readPrinters(); }

    NkPrinterCheck CheckNoPrinter() override
    {
        readPrinters();
        if (names.isEmpty())
            return NkPrinterCheck::NoPrinter;
        return QPrinterInfo::printerInfo(names.value(index)).isNull() ? NkPrinterCheck::PrinterError
                                                                     : NkPrinterCheck::Ready;
    }
    std::optional<QStringList> Printers() override
    {
        // Read anew every time: queues come and go while the print step is shown.
        readPrinters();
        if (names.isEmpty())
            return std::nullopt;
        return names;
    }
    int GetIndex() override { return index; }
    void SetIndex(int i) override
    {
        if (i < 0 || i >= names.size() || i == index)
            return;
        index = i;
        openPrinter();
    }
    QString PrinterName() override { return names.value(index); }

    bool CanSetPaperSize() override { return printer && !info().supportedPageSizes().isEmpty(); }
    // The printing service scales nothing behind our back: the scale stays 100 %.
    bool CanSetScale() override { return false; }
    int GetNumPaperSizes() override { return int(info().supportedPageSizes().size()); }
    std::optional<QStringList> GetPaperSizeNames() override
    {
        QStringList list;
        for (const QPageSize& s : info().supportedPageSizes())
            list << s.name();
        if (list.isEmpty())
            return std::nullopt;
        return list;
    }
    int GetPaperSizeIndex() override
    {
        if (!printer)
            return -1;
        const auto sizes = info().supportedPageSizes();
        for (int i = 0; sheet.listed && i < sizes.size(); ++i)
            if (sizes[i].key() == sheet.size.key())
                return i;
        return -1;
    }
    void SetPaperSizeIndex(int i) override
    {
        const auto sizes = info().supportedPageSizes();
        if (i < 0 || i >= sizes.size())
            return;
        wanted = {sizes[i], true};
        pending = true;
    }
    bool UserPaperSupported() override { return printer && info().supportsCustomPageSizes(); }
    void SetpaperExtent(int w, int h) override
    {
        // In millimetres as asked, and kept so: the job passes it on as it is (mediaOption),
        // never a listed paper of nearly that size.
        wanted = {QPageSize(QSizeF(w / 10.0, h / 10.0), QPageSize::Millimeter, QString(), QPageSize::ExactMatch), false};
        pending = true;
    }
    void SetScale(int) override {}
    void ApplySettings() override
    {
        if (printer && wanted.size.isValid()) {
            sheet = wanted;
            // For the print dialog, which shows and changes the printer's own settings.
            printer->setPageOrientation(QPageLayout::Portrait);
            printer->setPageSize(sheet.size);
        }
        pending = false;
    }
    bool SettingsPending() override { return pending; }

    std::optional<QSize> PageExtent() override
    {
        const auto full = PhysicalSize();
        const auto m = marginsPx();
        if (!full || !m)
            return std::nullopt;
        return QSize(full->width() - m->left() - m->right(), full->height() - m->top() - m->bottom());
    }
    std::optional<QSize> PhysicalSize() override
    {
        if (!printer)
            return std::nullopt;
        // From the size as defined (millimetres or points), not through whole points.
        const QSizeF pt = sheetPt();
        const QSize px(toPixels(pt.width()), toPixels(pt.height()));
        if (px.isEmpty())
            return std::nullopt;
        return px;
    }
    std::optional<QPoint> PageOffset() override
    {
        const auto m = marginsPx();
        if (!m)
            return std::nullopt;
        return QPoint(m->left(), m->top());
    }
    std::optional<int> Resolution() override
    {
        if (!printer)
            return std::nullopt;
        return printer->resolution();
    }
    std::optional<int> Scale() override
    {
        if (!printer)
            return std::nullopt;
        return 100;
    }
    void SetResolution(int dpi) override
    {
        if (printer)
            printer->setResolution(dpi);
    }

    bool BeginDoc(const QString& title) override
    {
        pdf.clear();
        problem.clear();
        if (!printer) {
            problem = QStringLiteral("no printer");
            return false;
        }
        jobTitle = title;
        return true;
    }
    bool DrawSheet(const QImage& sheet) override
    {
        const auto offset = PageOffset();
        if (!printer || sheet.isNull() || !offset)
            return false;
        pdf = sheetPdf(sheet, sheetPt(), sheetPictureRectPt(sheet.size(), *offset, printer->resolution()));
        return !pdf.isEmpty();
    }
    bool EndDoc() override
    {
        if (pdf.isEmpty())
            return false;
        const JobFate fate = printPdfJob(PrinterName(), jobTitle, pdf, jobOptions());
        pdf.clear();
        problem = fate.problem;
        return fate.out;
    }
    void Abort() override { pdf.clear(); }
    QString JobProblem() override { return problem; }

    bool ShowPrintDialog(QWidget* parent) override
    {
        if (!printer)
            return false;
        QPrintDialog dialog(printer.get(), parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        // The dialog may have switched the printer or its paper: follow them.
        const QString chosen = printer->printerName();
        sheet = wanted = paperOf(printer->pageLayout().pageSize());
        readPrinters();
        const int i = int(names.indexOf(chosen));
        if (i >= 0)
            index = i;
        return true;
    }
    void setOnChange(std::function<void()> callback) override
    {
        onChange = std::move(callback);
        if (watch)
            return;
        // The printing service has no change signal here: poll the list, cheaply.
        watch = std::make_unique<QTimer>();
        watch->setInterval(2000);
        QObject::connect(watch.get(), &QTimer::timeout, [this] {
            const QString seen = systemList();
            if (seen == lastSeen)
                return;
            lastSeen = seen;
            if (onChange)
                onChange();
        });
        lastSeen = systemList();
        watch->start();
    }

private:
    QStringList names;
    int index = -1;
    std::unique_ptr<QPrinter> printer;
    /// A paper: listed by the printer (sent by its name) or a custom size (sent by its size).
    struct Paper {
        QPageSize size;
        bool listed = true;
    };
    Paper wanted, sheet; // set, and applied
    QString jobTitle, problem;
    QByteArray pdf; // the sheet's document between DrawSheet and EndDoc
    bool pending = false;
    std::function<void()> onChange;
    std::unique_ptr<QTimer> watch;
    QString lastSeen;

    static QString systemList()
    {
        return QPrinterInfo::availablePrinterNames().join(QLatin1Char('\n')) + QLatin1Char('\n') +
               QPrinterInfo::defaultPrinterName();
    }
    QPrinterInfo info() const { return QPrinterInfo::printerInfo(names.value(index)); }

    void readPrinters()
    {
        const QString current = names.value(index);
        names = QPrinterInfo::availablePrinterNames();
        int i = int(names.indexOf(current));
        if (i < 0)
            i = int(names.indexOf(QPrinterInfo::defaultPrinterName()));
        if (i < 0 && !names.isEmpty())
            i = 0;
        // Another queue coming or going moves the index, not the printer and its settings.
        const bool same = names.value(i) == current && printer;
        index = i;
        if (!same)
            openPrinter();
    }
    void openPrinter()
    {
        printer.reset();
        const QPrinterInfo pi = info();
        if (pi.isNull())
            return;
        printer = std::make_unique<QPrinter>(pi, QPrinter::HighResolution);
        printer->setFullPage(true);
        int best = 0;
        for (int dpi : pi.supportedResolutions())
            if (dpi <= kMaxUsefulDpi && dpi > best)
                best = dpi;
        printer->setResolution(best > 0 ? best : kDefaultDpi);
        sheet = wanted = paperOf(printer->pageLayout().pageSize());
        pending = false;
    }
    Paper paperOf(const QPageSize& size) const
    {
        const auto sizes = info().supportedPageSizes();
        const bool listed = std::any_of(sizes.begin(), sizes.end(), [&](const QPageSize& s) { return s.key() == size.key(); });
        return {size, listed};
    }

    /// The sheet as the printer feeds it, in points.
    QSizeF sheetPt() const { return sheet.size.size(QPageSize::Point); }
    int toPixels(double points) const { return qRound(points * printer->resolution() / 72); }

    std::optional<QMargins> marginsPx() const
    {
        if (!printer)
            return std::nullopt;
        // The queue's own margins of this medium; for a size it does not list (a custom one),
        // those that the printer's description gives for it.
        std::optional<QMarginsF> listed = cupsMediaMargins(names.value(index), sheetPt());
        QPageLayout layout = printer->pageLayout();
        layout.setUnits(QPageLayout::Point);
        const QMarginsF m = listed.value_or(layout.minimumMargins());
        return QMargins(toPixels(m.left()), toPixels(m.top()), toPixels(m.right()), toPixels(m.bottom()));
    }

    /// The medium by the printer's own name when it lists it, else the exact size asked for.
    QByteArray mediaOption() const
    {
        if (sheet.listed)
            return sheet.size.key().toUtf8();
        const QSizeF mm = sheet.size.size(QPageSize::Millimeter);
        return "Custom." + QByteArray::number(mm.width(), 'f', 2) + 'x' + QByteArray::number(mm.height(), 'f', 2) + "mm";
    }

    CupsOptions jobOptions() const
    {
        CupsOptions options;
        // What the print dialog set (paper type, quality): the print engine keeps it as pairs.
        const QStringList chosen =
            printer->printEngine()->property(QPrintEngine::PrintEnginePropertyKey(QPrintEngine::PPK_CustomBase)).toStringList();
        for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
            if (std::none_of(std::begin(kJobOwnOptions), std::end(kJobOwnOptions),
                             [&](const char* own) { return chosen[i] == QLatin1String(own); }))
                options.append(qMakePair(chosen[i].toUtf8(), chosen[i + 1].toUtf8()));
        // The sheet is the whole medium and its picture lies in the printable area: no scaling.
        options.append(qMakePair(QByteArray("media"), mediaOption()));
        options.append(qMakePair(QByteArray("print-scaling"), QByteArray("none")));
        return options;
    }
};

TNkPrinter* installed = nullptr;

} // namespace

std::unique_ptr<TNkPrinter> makeSystemPrinter() { return std::make_unique<SystemPrinter>(); }

TNkPrinter& nkPrinter()
{
    if (installed)
        return *installed;
    static std::unique_ptr<TNkPrinter> system = makeSystemPrinter();
    return *system;
}

void setNkPrinter(TNkPrinter* printer) { installed = printer; }

} // namespace qv

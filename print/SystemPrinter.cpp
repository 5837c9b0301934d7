// TNkPrinter over Qt's printing support, which talks to CUPS on this platform.
#include "NkPrinter.h"
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>
#include <cmath>

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
        if (names.isEmpty())
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
        const QPageSize current = printer->pageLayout().pageSize();
        const auto sizes = info().supportedPageSizes();
        for (int i = 0; i < sizes.size(); ++i)
            if (sizes[i].isEquivalentTo(current))
                return i;
        return -1;
    }
    void SetPaperSizeIndex(int i) override
    {
        const auto sizes = info().supportedPageSizes();
        if (i < 0 || i >= sizes.size())
            return;
        wanted = sizes[i];
        pending = true;
    }
    bool UserPaperSupported() override { return printer && info().supportsCustomPageSizes(); }
    void SetpaperExtent(int w, int h) override
    {
        // In whole points, rounded up: the printing service passes a custom size on in whole
        // points and would otherwise cut up to a point off the sheet.
        const auto points = [](int tenths) { return int(std::ceil(tenths / 254.0 * 72 - 1e-9)); };
        wanted = QPageSize(QSize(points(w), points(h)), QString(), QPageSize::ExactMatch);
        pending = true;
    }
    void SetScale(int) override {}
    void ApplySettings() override
    {
        if (printer && wanted.isValid()) {
            printer->setPageOrientation(QPageLayout::Portrait);
            printer->setPageSize(wanted);
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
        const QRect r = printer->pageLayout().fullRectPixels(printer->resolution());
        if (r.isEmpty())
            return std::nullopt;
        return r.size();
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
        if (!printer)
            return false;
        printer->setDocName(title);
        painter = std::make_unique<QPainter>();
        if (!painter->begin(printer.get())) {
            painter.reset();
            return false;
        }
        return true;
    }
    bool DrawSheet(const QImage& sheet) override
    {
        if (!painter || !painter->isActive() || sheet.isNull())
            return false;
        // In full-page mode the painter's origin is the sheet's corner; the sheet picture
        // belongs at the printable area's corner.
        const auto offset = PageOffset();
        painter->drawImage(offset.value_or(QPoint()), sheet);
        return printer->printerState() != QPrinter::Error;
    }
    bool EndDoc() override
    {
        if (!painter)
            return false;
        const bool ok = painter->end();
        painter.reset();
        return ok && printer->printerState() != QPrinter::Error;
    }
    void Abort() override
    {
        if (!painter)
            return;
        printer->abort();
        painter->end();
        painter.reset();
    }

    bool ShowPrintDialog(QWidget* parent) override
    {
        if (!printer)
            return false;
        QPrintDialog dialog(printer.get(), parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        // The dialog may have switched the printer: follow it.
        const QString chosen = printer->printerName();
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
    std::unique_ptr<QPainter> painter;
    QPageSize wanted;
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
        if (i != index || !printer) {
            index = i;
            openPrinter();
        }
    }
    void openPrinter()
    {
        painter.reset();
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
        if (best > 0)
            printer->setResolution(best);
        wanted = printer->pageLayout().pageSize();
        pending = false;
    }
    std::optional<QMargins> marginsPx() const
    {
        if (!printer)
            return std::nullopt;
        // The printer's unprintable margins, in its pixels.
        QPageLayout layout = printer->pageLayout();
        layout.setMargins(layout.minimumMargins());
        const int dpi = printer->resolution();
        const QRect full = layout.fullRectPixels(dpi), paint = layout.paintRectPixels(dpi);
        return QMargins(paint.left() - full.left(), paint.top() - full.top(), full.right() - paint.right(),
                        full.bottom() - paint.bottom());
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

#pragma once
// TNkPrinter: what printing needs of the system's printers (printer and paper lists, paper
// sizes, device metrics, settings and jobs). The program uses one instance; tests install a
// scripted one for the failure paths and use the real one against a CUPS queue.
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace qv {

/// Result of the printer set-up check: the values of PrintHooks::Check.
enum class NkPrinterCheck { Ready = 0, NoPrinter = 1, PrinterError = 2 };

class TNkPrinter {
public:
    virtual ~TNkPrinter() = default;

    /// @brief Whether a usable printer exists (NoPrinter) or another failure stands in the way.
    virtual NkPrinterCheck CheckNoPrinter() = 0;
    /// @brief Names of all printers; nullopt when the list cannot be read.
    virtual std::optional<QStringList> Printers() = 0;
    /// @brief Index of the current printer in Printers(), -1 when none.
    virtual int GetIndex() = 0;
    virtual void SetIndex(int index) = 0;
    /// @brief Name of the current printer; empty when none.
    virtual QString PrinterName() = 0;

    virtual bool CanSetPaperSize() = 0;
    virtual bool CanSetScale() = 0;
    virtual int GetNumPaperSizes() = 0;
    /// @brief Paper names in list order; nullopt when they cannot be read.
    virtual std::optional<QStringList> GetPaperSizeNames() = 0;
    virtual int GetPaperSizeIndex() = 0;
    virtual void SetPaperSizeIndex(int index) = 0;
    virtual bool UserPaperSupported() = 0;
    /// @brief Sets a user-defined paper of w x h in 0.1 mm.
    virtual void SetpaperExtent(int width, int height) = 0;
    virtual void SetScale(int percent) = 0;
    /// @brief Makes the settings made since the last call take effect.
    virtual void ApplySettings() = 0;
    /// @brief True while settings wait for ApplySettings.
    virtual bool SettingsPending() = 0;

    // Metrics of the current printer and paper; nullopt when they cannot be read.
    virtual std::optional<QSize> PageExtent() = 0;      // printable area, printer pixels
    virtual std::optional<QSize> PhysicalSize() = 0;    // whole sheet, printer pixels
    virtual std::optional<QPoint> PageOffset() = 0;     // printable area from the sheet's corner
    virtual std::optional<int> Resolution() = 0;        // dots per inch
    virtual std::optional<int> Scale() = 0;             // percent
    /// @brief Asks for a print resolution (dots per inch); the printer may keep its own.
    virtual void SetResolution(int dpi) = 0;
    /// @brief Sheet size in 0.1 mm: physical pixels x scale x 254 / dpi / 100.
    std::optional<QSize> PaperSize();

    /// @brief Starts a job titled `title`; false when it cannot be started (JobProblem says why).
    virtual bool BeginDoc(const QString& title) = 0;
    /// @brief Draws a 24-bit picture one to one with its top-left at the printable area's
    /// top-left corner; false when the job refuses it.
    virtual bool DrawSheet(const QImage& sheet) = 0;
    /// @brief Ends the job and learns its fate from the printing service: true when the sheet
    /// went out (printed, or on its way on a running printer); false when it was refused,
    /// dropped or stopped, and then it is withdrawn (JobProblem says why).
    virtual bool EndDoc() = 0;
    virtual void Abort() = 0;
    /// @brief The printing service's words on why the last job did not go out.
    virtual QString JobProblem() = 0;

    /// @brief The system print dialog for the current printer; true when confirmed. The
    /// component then reads the printer's settings again.
    virtual bool ShowPrintDialog(QWidget* parent) = 0;
    /// @brief Called when the system's printer list or default printer changes.
    virtual void setOnChange(std::function<void()> callback) = 0;
};

/// @brief The printers of this machine, through the system's printing service.
std::unique_ptr<TNkPrinter> makeSystemPrinter();

/// @brief The instance in use (the system's until another is installed).
TNkPrinter& nkPrinter();
/// @brief Installs an instance (not owned); nullptr restores the system's.
void setNkPrinter(TNkPrinter* printer);

} // namespace qv

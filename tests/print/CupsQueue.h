#pragma once
// A real CUPS queue for the print tests: the scheduler and a queue whose jobs end as PDF
// files (cups-pdf), started and created when missing, and the files each job leaves.
#include <QImage>
#include <QSizeF>
#include <QStringList>

namespace qv::test {

inline const QString kTestQueue = QStringLiteral("QorvaleTestPDF");

/// @brief Starts the scheduler and creates the queue when needed; an error text when that
/// fails, empty when the queue is ready.
QString ensureCupsQueue();
/// A PDF queue of this test run alone (its name carries the process id), made with cups-pdf's
/// description or a PPD of tests/data/ppd, and removed with its jobs when it goes.
class RunQueue {
public:
    /// @brief `ppd`: a file name in tests/data/ppd; empty for cups-pdf's own (custom sizes).
    explicit RunQueue(const QString& stem, const QString& ppd = {});
    ~RunQueue();
    RunQueue(const RunQueue&) = delete;
    RunQueue& operator=(const RunQueue&) = delete;

    QString name;
    QString problem; // empty when the queue is ready
    /// @brief Stops the queue (cupsdisable), or removes it, as an administrator would.
    void disable();
    void remove();
    /// @brief The queue's jobs not finished yet.
    QStringList pendingJobs() const;
};

/// @brief The PDF files in the queue's output folder now.
QStringList cupsOutputFiles();
/// @brief Names the print jobs of the running test (the application's title, which the queue
/// puts into its file names), so that tests running side by side keep their files apart.
void nameJobsForThisTest();
/// @brief Waits until `count` new files of this test's jobs beside `before` are complete and
/// the queue is idle; moves them into the test's own folder and returns them in job order
/// (fewer when the time ran out).
QStringList waitForCupsOutput(const QStringList& before, int count, int timeoutMs = 60000,
                              const QString& queue = kTestQueue);
/// @brief The page sizes of a PDF file in millimetres (its media boxes, through pdfinfo).
QList<QSizeF> pdfPageSizesMm(const QString& pdf);
/// @brief Page `page` (from 1) of a PDF rasterised in grey at `dpi` (through pdftoppm).
QImage rasterisePdfPage(const QString& pdf, int page, int dpi);
/// @brief Bounding box of the pixels darker than mid-grey; empty when there are none.
QRect darkBox(const QImage& grey);

} // namespace qv::test

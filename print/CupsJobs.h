#pragma once
// What printing asks of the printing service itself (libcups), which the toolkit does not
// tell: the unprintable margins of a sheet, and print jobs whose fate is learnt from the
// job's own state.
#include <QByteArray>
#include <QList>
#include <QMarginsF>
#include <QPair>
#include <QSizeF>
#include <QStringList>
#include <optional>

namespace qv {

/// @brief Unprintable margins (points; left, top, right, bottom by the sheet's edges) of the
/// queue's listed medium of the given size (points, to half a millimetre); nullopt when the
/// queue lists no such medium.
std::optional<QMarginsF> cupsMediaMargins(const QString& printer, QSizeF sheetPt);

using CupsOptions = QList<QPair<QByteArray, QByteArray>>;

/// How long a sheet's job is watched at most before it is taken as on its way.
inline constexpr int kJobWatchMs = 5000;

/// What became of a job.
struct JobFate {
    bool out = false;   // printed, or printing or queued on a printer that is running
    int jobId = 0;      // 0 when the service never made the job
    QString problem;    // the service's words when the sheet did not go out
};

/// @brief Sends a PDF document as one job and watches it for up to watchMs: a job that is
/// refused, stopped, held, aborted or cancelled did not go out (and is cancelled, so that it
/// does not come out later unnoticed); one that completes, or still prints or waits on a
/// running printer when the time is up, did.
JobFate printPdfJob(const QString& printer, const QString& title, const QByteArray& pdf, const CupsOptions& options,
                    int watchMs = kJobWatchMs);

} // namespace qv

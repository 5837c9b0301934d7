// Margins and print jobs through libcups.
#include "CupsJobs.h"
#include <QElapsedTimer>
#include <QThread>
#include <cups/cups.h>
#include <memory>

namespace qv {

namespace {

struct DestDeleter {
    void operator()(cups_dest_t* d) const { cupsFreeDests(1, d); }
};
struct InfoDeleter {
    void operator()(cups_dinfo_t* i) const { cupsFreeDestInfo(i); }
};
struct IppDeleter {
    void operator()(ipp_t* i) const { ippDelete(i); }
};

constexpr double kPtPerHundredthMm = 72.0 / 2540.0;
constexpr int kSizeTolerance = 50; // 0.5 mm, in hundredths of a millimetre

QString lastError() { return QString::fromUtf8(cupsLastErrorString()); }

const QString kQueueGone = QStringLiteral("プリンタが見つかりません");
const QString kQueueStopped = QStringLiteral("プリンタが停止しています");

/// Whether the queue is there at all.
bool queueExists(const QByteArray& printer)
{
    const std::unique_ptr<cups_dest_t, DestDeleter> dest(cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.constData(), nullptr));
    return bool(dest);
}

/// The service's words, or ours where they would only puzzle: a queue that has gone.
QString problemOf(const QByteArray& printer)
{
    const QString said = lastError(); // before another request replaces it
    return queueExists(printer) ? said : kQueueGone;
}

} // namespace

std::optional<QMarginsF> cupsMediaMargins(const QString& printer, QSizeF sheetPt)
{
    const QByteArray name = printer.toUtf8();
    const std::unique_ptr<cups_dest_t, DestDeleter> dest(cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr));
    if (!dest)
        return std::nullopt;
    const std::unique_ptr<cups_dinfo_t, InfoDeleter> info(cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest.get()));
    if (!info)
        return std::nullopt;
    const int width = qRound(sheetPt.width() / kPtPerHundredthMm), length = qRound(sheetPt.height() / kPtPerHundredthMm);
    const int count = cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, dest.get(), info.get(), CUPS_MEDIA_FLAGS_DEFAULT);
    std::optional<QMarginsF> found;
    double widest = -1;
    for (int i = 0; i < count; ++i) {
        cups_size_t s;
        if (!cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, dest.get(), info.get(), i, CUPS_MEDIA_FLAGS_DEFAULT, &s))
            continue;
        if (std::abs(s.width - width) > kSizeTolerance || std::abs(s.length - length) > kSizeTolerance)
            continue;
        // A medium listed with and without borders: the bordered one, unless borderless was asked for.
        const double sum = s.left + s.top + s.right + s.bottom;
        if (sum > widest) {
            widest = sum;
            found = QMarginsF(s.left, s.top, s.right, s.bottom) * kPtPerHundredthMm;
        }
    }
    return found;
}

namespace {

struct JobState {
    ipp_jstate_t state = IPP_JSTATE_PENDING;
    QStringList reasons;
    bool known = false;
};

JobState readJob(int jobId)
{
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const QByteArray uri = "ipp://localhost/jobs/" + QByteArray::number(jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    static const char* const wanted[] = {"job-state", "job-state-reasons"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    const std::unique_ptr<ipp_t, IppDeleter> response(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/jobs/"));
    JobState js;
    if (!response || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        return js;
    if (ipp_attribute_t* a = ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM)) {
        js.state = ipp_jstate_t(ippGetInteger(a, 0));
        js.known = true;
    }
    if (ipp_attribute_t* a = ippFindAttribute(response.get(), "job-state-reasons", IPP_TAG_KEYWORD))
        for (int i = 0; i < ippGetCount(a); ++i)
            if (const QString r = QString::fromUtf8(ippGetString(a, i, nullptr)); r != QLatin1String("none"))
                js.reasons << r;
    return js;
}

/// Why a queue does not print at the moment (stopped: disabled, paused); empty when it does.
QString queueStopped(const QByteArray& printer)
{
    const std::unique_ptr<cups_dest_t, DestDeleter> dest(cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.constData(), nullptr));
    if (!dest)
        return kQueueGone;
    const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
    return state && QByteArray(state).toInt() == IPP_PSTATE_STOPPED ? kQueueStopped : QString();
}

/// Whether the job's state settles its fate: true with `out` set when it does.
bool settled(const JobState& js, bool& out)
{
    switch (js.state) {
    case IPP_JSTATE_COMPLETED:
        out = true;
        return true;
    case IPP_JSTATE_HELD:
    case IPP_JSTATE_STOPPED:
    case IPP_JSTATE_CANCELED:
    case IPP_JSTATE_ABORTED:
        out = false;
        return true;
    default:
        out = false;
        return js.reasons.contains(QLatin1String("printer-stopped"));
    }
}

JobFate watchJob(const QByteArray& printer, int jobId, int watchMs)
{
    JobFate fate{false, jobId, {}};
    QElapsedTimer t;
    t.start();
    for (;;) {
        JobState js = readJob(jobId);
        if (!js.known) {
            fate.problem = problemOf(printer); // the job went, with its queue perhaps
            return fate;
        }
        bool out = false;
        bool decided = settled(js, out);
        if (!decided && js.state == IPP_JSTATE_PENDING) {
            // Waiting on a stopped (disabled) queue: it will not come out by itself.
            const QString stopped = queueStopped(printer);
            if (!stopped.isEmpty()) {
                js.reasons = QStringList{stopped};
                decided = true;
            }
        }
        if (decided || t.elapsed() >= watchMs) {
            // Still printing, or waiting on a running printer, when the time is up: on its way.
            fate.out = decided ? out : true;
            if (!fate.out) {
                fate.problem = js.reasons.join(QLatin1String(", "));
                cupsCancelJob2(CUPS_HTTP_DEFAULT, printer.constData(), jobId, 0);
            }
            return fate;
        }
        QThread::msleep(100);
    }
}

} // namespace

JobFate printPdfJob(const QString& printer, const QString& title, const QByteArray& pdf, const CupsOptions& options,
                    int watchMs)
{
    const QByteArray name = printer.toUtf8(), jobTitle = title.toUtf8();
    cups_option_t* opts = nullptr;
    int n = 0;
    for (const auto& [key, value] : options)
        n = cupsAddOption(key.constData(), value.constData(), n, &opts);
    const int jobId = cupsCreateJob(CUPS_HTTP_DEFAULT, name.constData(), jobTitle.constData(), n, opts);
    cupsFreeOptions(n, opts);
    if (jobId <= 0)
        return {false, 0, problemOf(name)};
    bool sent = cupsStartDocument(CUPS_HTTP_DEFAULT, name.constData(), jobId, jobTitle.constData(), CUPS_FORMAT_PDF, 1) ==
                HTTP_STATUS_CONTINUE;
    for (qsizetype at = 0; sent && at < pdf.size(); at += 65536) {
        const size_t chunk = size_t(std::min<qsizetype>(65536, pdf.size() - at));
        sent = cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.constData() + at, chunk) == HTTP_STATUS_CONTINUE;
    }
    const bool finished = sent && cupsFinishDocument(CUPS_HTTP_DEFAULT, name.constData()) == IPP_STATUS_OK;
    if (!sent || !finished) {
        const QString problem = problemOf(name);
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), jobId, 0);
        return {false, jobId, problem};
    }
    return watchJob(name, jobId, watchMs);
}

} // namespace qv

#include "Pause.h"
#include <QThread>
#include <QtGlobal>
#include <optional>

namespace qv {
namespace {
std::optional<double> overrideScale;

double scale()
{
    if (overrideScale)
        return *overrideScale;
    bool ok = false;
    double s = qEnvironmentVariable("QORVALE_PAUSE_SCALE").toDouble(&ok);
    return ok && s >= 0 ? s : 1.0;
}
} // namespace

void setPauseScale(double s) { overrideScale = s; }

void pause(int milliseconds)
{
    const auto ms = static_cast<unsigned long>(milliseconds * scale());
    if (ms > 0)
        QThread::msleep(ms);
}

} // namespace qv

#include "FuzzSupport.h"
#include <QDir>
#include <QFile>
#include <unistd.h>

namespace qv::fuzz {

const QString& scratchDir()
{
    static const QString dir = [] {
        QString d = QDir::tempPath() + "/qorvale-fuzz-" + QString::number(getpid()) + '/';
        QDir().mkpath(d);
        return d;
    }();
    return dir;
}

QString writeInput(const uint8_t* data, size_t size)
{
    const QString path = scratchDir() + "input.bin";
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

} // namespace qv::fuzz

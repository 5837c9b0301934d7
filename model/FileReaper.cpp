#include "FileReaper.h"
#include <QDir>
#include <QFile>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

FileReaper::~FileReaper()
{
    {
        const std::lock_guard guard(lock);
        stopping = true;
    }
    wake.notify_all();
    if (worker.joinable())
        worker.join();
}

bool FileReaper::keepAside(const QString& path)
{
    const QByteArray from = QFile::encodeName(path);
    struct stat sb;
    if (::stat(from.constData(), &sb) != 0 || !S_ISREG(sb.st_mode) || sb.st_nlink != 1)
        return false; // nothing to replace, or another link keeps the blocks anyway
    QByteArray aside;
    {
        const std::lock_guard guard(lock);
        aside = QFile::encodeName(folder) + QByteArray::number(::getpid()) + '-' + QByteArray::number(++next);
    }
    if (::link(from.constData(), aside.constData()) != 0
        && (errno != ENOENT || !QDir().mkpath(folder) || ::link(from.constData(), aside.constData()) != 0))
        return false;
    {
        const std::lock_guard guard(lock);
        queue.push_back(aside);
        if (!worker.joinable())
            worker = std::thread([this] { run(); });
    }
    wake.notify_one();
    return true;
}

void FileReaper::drain()
{
    std::unique_lock guard(lock);
    idle.wait(guard, [this] { return queue.empty() && !busy; });
}

void FileReaper::run()
{
    std::unique_lock guard(lock);
    for (;;) {
        wake.wait(guard, [this] { return stopping || !queue.empty(); });
        if (queue.empty())
            return; // stopping, with nothing left
        const QByteArray path = queue.front();
        queue.pop_front();
        busy = true;
        guard.unlock();
        ::unlink(path.constData());
        guard.lock();
        busy = false;
        if (queue.empty())
            idle.notify_all();
    }
}

} // namespace qv

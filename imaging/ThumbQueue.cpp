#include "ThumbQueue.h"
#include <QMutexLocker>

namespace qv {

ThumbQueue::ThumbQueue(Deliver d, int box, int threads) : deliver(std::move(d)), boxSize(box)
{
    pool.setMaxThreadCount(std::max(1, threads));
}

ThumbQueue::~ThumbQueue() { stop(); }

void ThumbQueue::replace(std::vector<Job> jobs)
{
    QMutexLocker lock(&mutex);
    waiting.clear();
    for (Job& j : jobs)
        if (!running.contains(j.key))
            waiting.push_back(std::move(j));
    while (workers < pool.maxThreadCount() && size_t(workers) < waiting.size()) {
        ++workers;
        pool.start([this] { work(); });
    }
}

int ThumbQueue::runningCount() const
{
    QMutexLocker lock(&mutex);
    return int(running.size());
}

void ThumbQueue::stop()
{
    {
        QMutexLocker lock(&mutex);
        waiting.clear();
    }
    pool.waitForDone();
}

void ThumbQueue::work()
{
    QMutexLocker lock(&mutex);
    while (!waiting.empty()) {
        const Job job = std::move(waiting.front());
        waiting.pop_front();
        running.insert(job.key);
        lock.unlock();
        const ThumbResult r = cachedThumbnail(job.cached, job.path, job.jpeg, boxSize, job.store);
        deliver(job, r);
        lock.relock();
        running.remove(job.key);
    }
    --workers;
}

} // namespace qv

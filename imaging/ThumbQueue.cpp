#include "ThumbQueue.h"
#include <QMutexLocker>
#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

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

void ThumbQueue::stop()
{
    {
        QMutexLocker lock(&mutex);
        waiting.clear();
    }
    pool.waitForDone();
}

// Thumbnails yield to the user-interface thread: a worker runs a few steps nicer than it, so the
// list keeps scrolling smoothly while both cores decode.
static void yieldToInterface()
{
#ifdef __linux__
    constexpr int kWorkerNice = 5;
    setpriority(PRIO_PROCESS, id_t(gettid()), kWorkerNice);
#endif
}

void ThumbQueue::work()
{
    yieldToInterface();
    QMutexLocker lock(&mutex);
    while (!waiting.empty()) {
        const Job job = std::move(waiting.front());
        waiting.pop_front();
        running.insert(job.key);
        lock.unlock();
        const ThumbResult r = makeThumbnail(job.path, job.jpeg, boxSize);
        deliver(job, r);
        lock.relock();
        running.remove(job.key);
    }
    --workers;
}

} // namespace qv

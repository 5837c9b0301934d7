#pragma once
// Thumbnails made on worker threads. The queue holds what is still wanted, in the order it is
// wanted (rows on screen first); a new request replaces the old one, so thumbnails the user has
// scrolled away from are not made.
#include "Thumbnailer.h"
#include <QMutex>
#include <QSet>
#include <QThreadPool>
#include <deque>
#include <functional>
#include <vector>

namespace qv {

class ThumbQueue {
public:
    struct Job {
        QString key;     // identifies the file's state (path, size, time)
        QString path;
        bool jpeg = false;
        QByteArray cached; // bytes of the disk cache, if it holds this thumbnail
        bool store = false; // encode a new thumbnail for the disk cache
    };
    /// Called on a worker thread with each finished thumbnail.
    using Deliver = std::function<void(const Job&, const ThumbResult&)>;

    ThumbQueue(Deliver deliver, int box, int threads = QThread::idealThreadCount());
    ~ThumbQueue();

    /// @brief Replaces the waiting jobs; jobs already being made are not repeated.
    void replace(std::vector<Job> jobs);
    /// @brief Drops the waiting jobs and waits for the running ones.
    void stop();
    /// @brief Waits until every job is done (for tests and benchmarks).
    void waitForDone() { pool.waitForDone(); }
    /// @brief Jobs being made right now (tests).
    int runningCount() const;
    int box() const { return boxSize; }

private:
    Deliver deliver;
    int boxSize;
    QThreadPool pool;
    mutable QMutex mutex;
    std::deque<Job> waiting;
    QSet<QString> running;
    int workers = 0;

    void work();
};

} // namespace qv

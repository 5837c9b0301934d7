#pragma once
// Freeing the blocks of replaced files away from the user-interface thread.
#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace qv {

/// A file renamed over another frees the other's blocks on the spot when that was its last
/// link, and on some file systems (online discard, no journal) the rename then waits for the
/// disk. keepAside gives such a file a second link in a folder of its own before the rename,
/// so the rename only drops a link; a thread of the reaper removes the second link later.
class FileReaper {
public:
    /// @param folder where the extra links go (made when needed).
    explicit FileReaper(QString folder) : folder(std::move(folder)) {}
    ~FileReaper();
    FileReaper(const FileReaper&) = delete;
    FileReaper& operator=(const FileReaper&) = delete;

    /// @brief Before path is replaced: links it into the folder when this is its last link.
    /// Best effort: when that fails the replacement frees the blocks itself. True when linked.
    bool keepAside(const QString& path);
    /// @brief Returns once every link kept aside so far is removed.
    void drain();

private:
    QString folder;
    std::mutex lock;
    std::condition_variable wake, idle;
    std::deque<QByteArray> queue;
    bool busy = false, stopping = false;
    quint64 next = 0;
    std::thread worker;

    void run();
};

} // namespace qv

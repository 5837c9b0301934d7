#pragma once
// Project file operations on a file tree kept in memory: reading and unpacking a book touches
// no disk. Paths are absolute; "." and ".." are resolved by name (the tree has no links).
#include "ProjectFile.h"
#include <QByteArray>
#include <map>
#include <string>

namespace qv::test {

class MemoryFileOps : public ProjectFileOps {
public:
    struct Node {
        bool folder = false;
        QByteArray data;
    };

    /// @brief Empties the tree (the root folder "/" stays) and closes every descriptor.
    void reset();
    void addFolder(const std::string& path) { nodes[path] = Node{true, {}}; }
    void addFile(const std::string& path, const QByteArray& data) { nodes[path] = Node{false, data}; }
    const std::map<std::string, Node>& tree() const { return nodes; }
    int openCount() const { return int(fds.size()); }

    ssize_t write(int fd, const void* data, size_t size) override;
    int fsync(int fd) override;
    int rename(const char* from, const char* to, bool mayReplace) override;
    int openat(int dirFd, const char* path, int flags, mode_t mode = 0) override;
    int close(int fd) override;
    ssize_t read(int fd, void* data, size_t size) override;
    off_t lseek(int fd, off_t offset, int whence) override;
    int fstatat(int dirFd, const char* path, struct stat* st, int flags) override;
    int mkdirat(int dirFd, const char* path, mode_t mode) override;
    int unlinkat(int dirFd, const char* path, int flags) override;
    int renameat(int fromDir, const char* from, int toDir, const char* to) override;

private:
    struct Open {
        std::string path;
        off_t pos = 0;
    };
    std::map<std::string, Node> nodes{{"/", Node{true, {}}}};
    std::map<int, Open> fds;
    int nextFd = 1 << 20; // far above any real descriptor of the process

    /// The absolute, resolved path of path seen from dirFd; empty with errno set when dirFd
    /// is not an open folder.
    std::string resolve(int dirFd, const char* path) const;
    Node* find(const std::string& path);
    /// The node at path seen from dirFd (its resolved path in resolved); null with errno set
    /// (ENOENT when it does not exist).
    Node* existing(int dirFd, const char* path, std::string& resolved);
    Open* openFile(int fd);
    bool parentIsFolder(const std::string& path);
    bool hasChildren(const std::string& path) const;
};

} // namespace qv::test

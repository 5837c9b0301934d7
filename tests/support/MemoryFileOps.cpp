#include "MemoryFileOps.h"
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace qv::test {

void MemoryFileOps::reset()
{
    nodes.clear();
    nodes["/"] = Node{true, {}};
    fds.clear();
}

std::string MemoryFileOps::resolve(int dirFd, const char* path) const
{
    std::string base = "/";
    if (path[0] != '/' && dirFd != AT_FDCWD) {
        const auto f = fds.find(dirFd);
        const auto n = f == fds.end() ? nodes.end() : nodes.find(f->second.path);
        if (n == nodes.end()) {
            errno = EBADF;
            return {};
        }
        if (!n->second.folder && path[0] != '\0') {
            errno = ENOTDIR;
            return {};
        }
        base = f->second.path;
    }
    std::vector<std::string> parts;
    const std::string whole = base + "/" + path;
    for (size_t at = 0; at <= whole.size();) {
        const size_t end = std::min(whole.find('/', at), whole.size());
        const std::string part = whole.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string out;
    for (const std::string& p : parts)
        out += "/" + p;
    return out.empty() ? "/" : out;
}

MemoryFileOps::Node* MemoryFileOps::find(const std::string& path)
{
    const auto n = nodes.find(path);
    return n == nodes.end() ? nullptr : &n->second;
}

MemoryFileOps::Node* MemoryFileOps::existing(int dirFd, const char* path, std::string& resolved)
{
    resolved = resolve(dirFd, path);
    if (resolved.empty())
        return nullptr;
    Node* n = find(resolved);
    if (!n)
        errno = ENOENT;
    return n;
}

MemoryFileOps::Open* MemoryFileOps::openFile(int fd)
{
    const auto f = fds.find(fd);
    Node* n = f == fds.end() ? nullptr : find(f->second.path);
    if (!n || n->folder) {
        errno = n ? EISDIR : EBADF;
        return nullptr;
    }
    return &f->second;
}

bool MemoryFileOps::parentIsFolder(const std::string& path)
{
    const Node* parent = find(path.substr(0, std::max<size_t>(path.rfind('/'), 1)));
    if (!parent || !parent->folder)
        errno = parent ? ENOTDIR : ENOENT;
    return parent && parent->folder;
}

bool MemoryFileOps::hasChildren(const std::string& path) const
{
    const std::string prefix = path == "/" ? path : path + "/";
    const auto next = nodes.upper_bound(prefix);
    return next != nodes.end() && next->first.compare(0, prefix.size(), prefix) == 0;
}

int MemoryFileOps::openat(int dirFd, const char* path, int flags, mode_t)
{
    const std::string p = resolve(dirFd, path);
    if (p.empty())
        return -1;
    Node* n = find(p);
    if (!n) {
        if (!(flags & O_CREAT)) {
            errno = ENOENT;
            return -1;
        }
        if (!parentIsFolder(p))
            return -1;
        n = &nodes[p];
    } else if ((flags & O_CREAT) && (flags & O_EXCL)) {
        errno = EEXIST;
        return -1;
    } else if ((flags & O_DIRECTORY) && !n->folder) {
        errno = ENOTDIR;
        return -1;
    } else if (n->folder && (flags & O_ACCMODE) != O_RDONLY) {
        errno = EISDIR;
        return -1;
    } else if (flags & O_TRUNC) {
        n->data.clear();
    }
    fds[nextFd] = Open{p, 0};
    return nextFd++;
}

int MemoryFileOps::close(int fd)
{
    if (fds.erase(fd) == 1)
        return 0;
    errno = EBADF;
    return -1;
}

ssize_t MemoryFileOps::write(int fd, const void* data, size_t size)
{
    Open* f = openFile(fd);
    if (!f)
        return -1;
    QByteArray& bytes = nodes[f->path].data;
    if (bytes.size() < f->pos + qsizetype(size))
        bytes.resize(f->pos + qsizetype(size));
    std::memcpy(bytes.data() + f->pos, data, size);
    f->pos += off_t(size);
    return ssize_t(size);
}

ssize_t MemoryFileOps::read(int fd, void* data, size_t size)
{
    Open* f = openFile(fd);
    if (!f)
        return -1;
    const QByteArray& bytes = nodes[f->path].data;
    const qsizetype n = std::clamp<qsizetype>(bytes.size() - f->pos, 0, qsizetype(size));
    std::memcpy(data, bytes.constData() + f->pos, size_t(n));
    f->pos += off_t(n);
    return ssize_t(n);
}

off_t MemoryFileOps::lseek(int fd, off_t offset, int whence)
{
    Open* f = openFile(fd);
    if (!f)
        return -1;
    const off_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f->pos : off_t(nodes[f->path].data.size());
    if (base + offset < 0) {
        errno = EINVAL;
        return -1;
    }
    return f->pos = base + offset;
}

int MemoryFileOps::fsync(int fd)
{
    if (fds.count(fd))
        return 0;
    errno = EBADF;
    return -1;
}

int MemoryFileOps::fstatat(int dirFd, const char* path, struct stat* st, int)
{
    std::string p;
    const Node* n = existing(dirFd, path, p);
    if (!n)
        return -1;
    *st = {};
    st->st_mode = n->folder ? (S_IFDIR | 0755) : (S_IFREG | 0644);
    st->st_size = n->data.size();
    return 0;
}

int MemoryFileOps::mkdirat(int dirFd, const char* path, mode_t)
{
    const std::string p = resolve(dirFd, path);
    if (p.empty())
        return -1;
    if (find(p)) {
        errno = EEXIST;
        return -1;
    }
    if (!parentIsFolder(p))
        return -1;
    addFolder(p);
    return 0;
}

int MemoryFileOps::unlinkat(int dirFd, const char* path, int flags)
{
    std::string p;
    const Node* n = existing(dirFd, path, p);
    if (!n)
        return -1;
    const bool asFolder = flags & AT_REMOVEDIR;
    if (p == "/" || asFolder != n->folder || (asFolder && hasChildren(p))) {
        errno = p == "/" ? EBUSY : !asFolder ? EISDIR : !n->folder ? ENOTDIR : ENOTEMPTY;
        return -1;
    }
    nodes.erase(p);
    return 0;
}

int MemoryFileOps::renameat(int fromDir, const char* from, int toDir, const char* to)
{
    const std::string a = resolve(fromDir, from), b = resolve(toDir, to);
    if (a.empty() || b.empty())
        return -1;
    const Node* source = find(a);
    const Node* target = find(b);
    if (!source || (source->folder && a != b) || (target && target->folder)) {
        errno = !source ? ENOENT : source->folder ? ENOTSUP : EISDIR; // only files move here
        return -1;
    }
    if (a == b || !parentIsFolder(b))
        return a == b ? 0 : -1;
    Node moved = *source;
    nodes.erase(a);
    nodes[b] = std::move(moved);
    return 0;
}

int MemoryFileOps::rename(const char* from, const char* to, bool mayReplace)
{
    if (!mayReplace && find(resolve(AT_FDCWD, to))) {
        errno = EEXIST;
        return -1;
    }
    return renameat(AT_FDCWD, from, AT_FDCWD, to);
}

} // namespace qv::test

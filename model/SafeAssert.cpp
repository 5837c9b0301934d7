#include "SafeAssert.h"
#include <QHash>
#include <QMutex>
#include <cstdio>

namespace qv {
namespace {
std::function<void(const char*)>& handler()
{
    static std::function<void(const char*)> h;
    return h;
}

struct LiveHooks {
    QMutex lock;
    QHash<QByteArray, int> count;
};
LiveHooks& live()
{
    static LiveHooks l;
    return l;
}
void countHook(const char* name, int delta)
{
    LiveHooks& l = live();
    const QMutexLocker hold(&l.lock);
    int& n = l.count[QByteArray(name)];
    n += delta;
    if (n == 0)
        l.count.remove(QByteArray(name));
}
} // namespace

bool safeAssert(bool cond, const char* what)
{
    if (cond)
        return true;
    std::fprintf(stderr, "qorvale: internal check failed: %s\n", what);
    if (handler())
        handler()(what);
    return false;
}

void setSafeAssertHandler(std::function<void(const char*)> h) { handler() = std::move(h); }

UnwiredName::UnwiredName(const char* n) : name(n) { countHook(name, 1); }
UnwiredName::UnwiredName(const UnwiredName& o) : name(o.name) { countHook(name, 1); }
UnwiredName& UnwiredName::operator=(const UnwiredName& o)
{
    countHook(o.name, 1);
    countHook(name, -1);
    name = o.name;
    return *this;
}
UnwiredName::~UnwiredName() { countHook(name, -1); }

QStringList liveUnwiredHooks()
{
    LiveHooks& l = live();
    const QMutexLocker hold(&l.lock);
    QStringList names;
    for (auto it = l.count.cbegin(); it != l.count.cend(); ++it)
        for (int k = 0; k < it.value(); ++k)
            names << QString::fromLatin1(it.key());
    names.sort();
    return names;
}

} // namespace qv

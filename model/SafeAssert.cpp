#include "SafeAssert.h"
#include <cstdio>

namespace qv {
namespace {
std::function<void(const char*)>& handler()
{
    static std::function<void(const char*)> h;
    return h;
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

} // namespace qv

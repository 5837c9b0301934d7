#pragma once
// A check for states that cannot happen in a correctly wired program (a hook still empty when
// it is called, a nonsense argument from a caller). It logs and lets the caller recover; the
// test main installs a handler that fails the running test.
#include <QStringList>
#include <functional>

namespace qv {

/// @brief Reports a broken "cannot happen" condition when cond is false; returns cond.
bool safeAssert(bool cond, const char* what);
/// @brief Replaces the reporting (nullptr: log to standard error only).
void setSafeAssertHandler(std::function<void(const char*)> handler);

/// @brief The names of the unwired hooks that exist right now, one entry per hook, sorted:
/// after a window is built, every hook still on its unwired default shows here.
QStringList liveUnwiredHooks();

/// Counts itself among the live unwired hooks for as long as it exists.
struct UnwiredName {
    const char* name;
    explicit UnwiredName(const char* n);
    UnwiredName(const UnwiredName& o);
    UnwiredName& operator=(const UnwiredName& o);
    ~UnwiredName();
};

/// A hook that reports a wiring fault when it is called before being set, then returns a
/// default value.
template <class R, class... A>
struct UnwiredHook : UnwiredName {
    R fallback;
    UnwiredHook(const char* n, R f) : UnwiredName(n), fallback(f) {}
    R operator()(A...) const
    {
        safeAssert(false, name);
        return fallback;
    }
};
template <class... A>
struct UnwiredHook<void, A...> : UnwiredName {
    explicit UnwiredHook(const char* n) : UnwiredName(n) {}
    void operator()(A...) const { safeAssert(false, name); }
};

template <class R, class... A>
std::function<R(A...)> unwired(const char* name, R fallback = R())
{
    return UnwiredHook<R, A...>{name, fallback};
}
template <class... A>
std::function<void(A...)> unwiredVoid(const char* name)
{
    return UnwiredHook<void, A...>{name};
}

/// @brief Whether a hook still holds its unwired default.
template <class R, class... A>
bool isUnwired(const std::function<R(A...)>& f)
{
    return f.template target<UnwiredHook<R, A...>>() != nullptr;
}

} // namespace qv

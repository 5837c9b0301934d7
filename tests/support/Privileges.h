#pragma once
// Tests of what a user meets when a folder or file may not be read run as root here, and root
// reads everything. This drops root's overrides of file permissions (CAP_DAC_OVERRIDE,
// CAP_DAC_READ_SEARCH) from the calling thread's effective capabilities while it lives; the
// permitted set keeps them, so they come back afterwards. For a user it does nothing.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qv::test {

class WithoutRootOverride {
public:
    WithoutRootOverride()
    {
        if (::geteuid() != 0 || !get(saved))
            return;
        __user_cap_data_struct lowered[2] = {saved[0], saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped = set(lowered);
    }
    ~WithoutRootOverride()
    {
        if (dropped)
            set(saved);
    }
    WithoutRootOverride(const WithoutRootOverride&) = delete;

private:
    __user_cap_data_struct saved[2] = {};
    bool dropped = false;

    static bool get(__user_cap_data_struct* data)
    {
        __user_cap_header_struct h{_LINUX_CAPABILITY_VERSION_3, 0};
        return ::syscall(SYS_capget, &h, data) == 0;
    }
    static bool set(__user_cap_data_struct* data)
    {
        __user_cap_header_struct h{_LINUX_CAPABILITY_VERSION_3, 0};
        return ::syscall(SYS_capset, &h, data) == 0;
    }
};

} // namespace qv::test

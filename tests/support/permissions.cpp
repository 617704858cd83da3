#include "support/permissions.h"

#include "support/mountnamespace.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace quervelle::test {

WithoutPermissionOverride::WithoutPermissionOverride() {
    if (::geteuid() != 0) {
        m_active = true; // an ordinary user: permissions apply anyway
        return;
    }
    if (::syscall(SYS_capget, &m_header, m_saved) != 0) {
        m_reason = systemError("capget");
        return;
    }
    __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    if (::syscall(SYS_capset, &m_header, reduced) != 0) {
        m_reason = systemError("capset");
        return;
    }
    m_dropped = true;
    m_active = true;
}

WithoutPermissionOverride::~WithoutPermissionOverride() {
    if (m_dropped)
        ::syscall(SYS_capset, &m_header, m_saved);
}

} // namespace quervelle::test

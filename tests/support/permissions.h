#pragma once

// Tests of what happens when the system refuses for lack of permission. Root reads and writes
// whatever the permission bits say, so as root these tests drop, for as long as a
// WithoutPermissionOverride lives, the capabilities that let it: the calling thread then meets
// the permission bits as an ordinary user does. Only the calling thread changes; the file
// operations and folder reads run on it.

#include <QString>

#include <linux/capability.h>

namespace quervelle::test {

class WithoutPermissionOverride {
public:
    WithoutPermissionOverride();
    ~WithoutPermissionOverride();
    WithoutPermissionOverride(const WithoutPermissionOverride &) = delete;
    WithoutPermissionOverride &operator=(const WithoutPermissionOverride &) = delete;

    // True when permissions now apply to this thread (always for an ordinary user).
    bool active() const { return m_active; }
    // Why they do not, when they do not.
    const QString &reason() const { return m_reason; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
    bool m_active = false;
    QString m_reason;
};

} // namespace quervelle::test

#include "support/mountnamespace.h"

#include "support/fsfixture.h"

#include <cerrno>
#include <cstring>

#include <sched.h>
#include <sys/mount.h>

namespace quervelle::test {

namespace {
QString g_refused;
} // namespace

QString systemError(const char *what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

void enterPrivateMountNamespace() {
    if (::unshare(CLONE_NEWNS) != 0)
        g_refused = systemError("unshare(CLONE_NEWNS)");
    // Nothing mounted from here on propagates back to the rest of the machine.
    else if (::mount(nullptr, "/", nullptr, MS_PRIVATE | MS_REC, nullptr) != 0)
        g_refused = systemError("mount(/, MS_PRIVATE | MS_REC)");
    if (!g_refused.isEmpty())
        qWarning("private mount namespace refused: %s", qPrintable(g_refused));
}

const QString &mountNamespaceRefused() {
    return g_refused;
}

QString TestMounts::mount(const char *source, const std::string &target, const char *type,
                          unsigned long flags, const char *options) {
    if (!g_refused.isEmpty())
        return QStringLiteral("no private mount namespace: ") + g_refused;
    if (::mount(source, target.c_str(), type, flags, options) != 0)
        return systemError("mount") + QStringLiteral(" (%1)").arg(fsShow(target));
    if (!(flags & MS_REMOUNT))
        m_mounted.push_back(target);
    return {};
}

QString TestMounts::bind(const std::string &source, const std::string &target) {
    return mount(source.c_str(), target, nullptr, MS_BIND, nullptr);
}

QString TestMounts::unmount(const std::string &target) {
    if (::umount2(target.c_str(), MNT_DETACH) != 0)
        return systemError("umount") + QStringLiteral(" (%1)").arg(fsShow(target));
    std::erase(m_mounted, target);
    return {};
}

QString TestMounts::unmountNow(const std::string &target) {
    if (::umount2(target.c_str(), 0) != 0)
        return systemError("umount") + QStringLiteral(" (%1)").arg(fsShow(target));
    std::erase(m_mounted, target);
    return {};
}

void TestMounts::unmountAll() {
    for (auto target = m_mounted.rbegin(); target != m_mounted.rend(); ++target)
        ::umount2(target->c_str(), MNT_DETACH);
    m_mounted.clear();
}

} // namespace quervelle::test

#include "support/accessibilitybus.h"

#include <QDBusConnection>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace quervelle::test {

AccessibilityBus::AccessibilityBus() {
    for (QProcess *process : {&m_session, &m_launcher}) {
        process->setStandardErrorFile(QProcess::nullDevice());
        process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    }
}

AccessibilityBus::~AccessibilityBus() {
    for (QProcess *process : {&m_launcher, &m_session}) {
        process->terminate();
        if (!process->waitForFinished(10000))
            process->kill();
        process->waitForFinished(10000);
    }
}

bool AccessibilityBus::start(const QString &display) {
    m_session.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--print-address=1")});
    if (!m_session.waitForStarted(10000)) {
        m_error = QStringLiteral("dbus-daemon cannot be started (package dbus-daemon): ") +
                  m_session.errorString();
        return false;
    }
    while (!m_session.canReadLine() && m_session.waitForReadyRead(20000)) {
    }
    m_sessionAddress = QString::fromLocal8Bit(m_session.readLine()).trimmed();
    if (m_sessionAddress.isEmpty()) {
        m_error = QStringLiteral("dbus-daemon gave no address");
        return false;
    }

    QProcessEnvironment env = environment(QProcessEnvironment::systemEnvironment());
    env.insert(QStringLiteral("DISPLAY"), display);
    m_launcher.setProcessEnvironment(env);
    m_launcher.start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"),
                     {QStringLiteral("--launch-immediately")});
    if (!m_launcher.waitForStarted(10000)) {
        m_error = QStringLiteral("at-spi-bus-launcher cannot be started (package at-spi2-core): ") +
                  m_launcher.errorString();
        return false;
    }
    return true;
}

QString AccessibilityBus::address() {
    if (!m_address.isEmpty() || !m_error.isEmpty())
        return m_address;
    const QString name = QStringLiteral("quervelle-test-session");
    {
        // The launcher answers on the session bus once the accessibility bus is up.
        QDBusConnection session = QDBusConnection::connectToBus(m_sessionAddress, name);
        const QDeadlineTimer deadline(20000);
        while (m_address.isEmpty() && !deadline.hasExpired() &&
               m_launcher.state() == QProcess::Running) {
            const QDBusReply<QString> reply = session.call(QDBusMessage::createMethodCall(
                QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")));
            if (reply.isValid())
                m_address = reply.value();
            else
                QThread::msleep(100);
        }
    }
    QDBusConnection::disconnectFromBus(name);
    if (m_address.isEmpty())
        m_error = QStringLiteral("at-spi-bus-launcher never brought the accessibility bus up");
    return m_address;
}

QProcessEnvironment AccessibilityBus::environment(QProcessEnvironment base) const {
    base.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_sessionAddress);
    base.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    // Qt exposes its windows only while a screen reader is said to run; tests have none.
    base.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    return base;
}

AccessibilityBus &startAccessibilityBusForThisProcess(const QString &display) {
    static AccessibilityBus bus;
    if (bus.start(display)) {
        const QProcessEnvironment env = bus.environment({});
        for (const QString &key : env.keys())
            qputenv(key.toLocal8Bit().constData(), env.value(key).toLocal8Bit());
    }
    return bus;
}

} // namespace quervelle::test

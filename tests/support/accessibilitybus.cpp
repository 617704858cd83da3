#include "support/accessibilitybus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace quervelle::test {

namespace {

constexpr const char *Launchers[] = {"/usr/libexec/at-spi-bus-launcher",
                                     "/usr/lib/at-spi2-core/at-spi-bus-launcher"};

void stop(QProcess &process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(10000);
    }
}

} // namespace

AccessibilityBus::AccessibilityBus() {
    for (QProcess *process : {&m_session, &m_launcher}) {
        process->setStandardErrorFile(QProcess::nullDevice());
        process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    }
}

AccessibilityBus::~AccessibilityBus() {
    stop(m_launcher);
    stop(m_session);
}

bool AccessibilityBus::fail(const QString &why) {
    m_error = why;
    return false;
}

bool AccessibilityBus::start(const QString &display) {
    if (!m_runtime.isValid())
        return fail(QStringLiteral("no temporary runtime folder"));
    QString launcher;
    for (const char *candidate : Launchers)
        if (QFile::exists(QLatin1String(candidate)))
            launcher = QLatin1String(candidate);
    if (launcher.isEmpty())
        return fail(QStringLiteral("at-spi-bus-launcher not found (package at-spi2-core)"));

    m_session.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--print-address=1")});
    if (!m_session.waitForStarted(10000))
        return fail(QStringLiteral("dbus-daemon cannot be started (package dbus-daemon): ") +
                    m_session.errorString());
    while (!m_session.canReadLine())
        if (!m_session.waitForReadyRead(20000))
            return fail(QStringLiteral("dbus-daemon gave no address"));
    m_sessionAddress = QString::fromLocal8Bit(m_session.readLine()).trimmed();

    QProcessEnvironment env = environment(QProcessEnvironment::systemEnvironment());
    env.insert(QStringLiteral("DISPLAY"), display);
    m_launcher.setProcessEnvironment(env);
    m_launcher.start(launcher, {QStringLiteral("--launch-immediately")});
    if (!m_launcher.waitForStarted(10000))
        return fail(launcher + QStringLiteral(" cannot be started: ") + m_launcher.errorString());

    return true;
}

QString AccessibilityBus::address() {
    if (!m_address.isEmpty() || !m_error.isEmpty())
        return m_address;
    // The launcher owns org.a11y.Bus on the session bus once the accessibility bus is up.
    const QString name = QStringLiteral("quervelle-test-session");
    {
        QDBusConnection session = QDBusConnection::connectToBus(m_sessionAddress, name);
        const QDeadlineTimer deadline(20000);
        while (session.isConnected() && m_address.isEmpty() && !deadline.hasExpired() &&
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
        fail(QStringLiteral("the accessibility bus did not start (") + m_launcher.program() + u')');
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

#pragma once

// A private accessibility bus for the end-to-end tests, as a desktop session has one: a D-Bus
// session bus (dbus-daemon) and, on it, at-spi2-core's bus launcher, which starts the
// accessibility bus and its registry. Qt programs started with environment() find it and show
// their windows on it. Everything runs in a temporary runtime folder and stops when this object
// goes, or when the test process dies.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace quervelle::test {

class AccessibilityBus {
public:
    AccessibilityBus();
    ~AccessibilityBus();
    AccessibilityBus(const AccessibilityBus &) = delete;
    AccessibilityBus &operator=(const AccessibilityBus &) = delete;

    // For programs shown on display. False where the buses cannot start; error() says why.
    bool start(const QString &display);
    QString error() const { return m_error; }
    // The accessibility bus's address, once the launcher has it up (asked of the launcher, so
    // only once the application object exists); empty, error() saying why, where it never is.
    QString address();

    // base, with what a Qt program needs to expose its windows on the bus.
    QProcessEnvironment environment(QProcessEnvironment base) const;

private:
    bool fail(const QString &why);

    QTemporaryDir m_runtime;
    QProcess m_session;
    QProcess m_launcher;
    QString m_sessionAddress;
    QString m_address;
    QString m_error;
};

// For a test whose own window must be on the bus: starts it before the application object
// exists and sets this process's environment. Where it cannot, error() says why.
AccessibilityBus &startAccessibilityBusForThisProcess(const QString &display);

} // namespace quervelle::test

#pragma once

// A private accessibility bus for the end-to-end tests, as a desktop session has one: a D-Bus
// session bus and, on it, at-spi2-core's bus launcher, which starts the accessibility bus and
// its registry. Qt programs run with environment() show their windows on it. All of it runs in
// a temporary runtime folder and stops with this object, or when the test process dies.

#include <QProcess>
#include <QTemporaryDir>

namespace quervelle::test {

class AccessibilityBus {
public:
    AccessibilityBus();
    ~AccessibilityBus();

    // For programs shown on display. False where the buses cannot start; error() says why.
    bool start(const QString &display);
    QString error() const { return m_error; }
    // The accessibility bus, once the launcher has it up (asked over D-Bus, so only once the
    // application object exists); empty, error() saying why, where it never comes up.
    QString address();
    QProcessEnvironment environment(QProcessEnvironment base) const;

private:
    QTemporaryDir m_runtime;
    QProcess m_session;
    QProcess m_launcher;
    QString m_sessionAddress;
    QString m_address;
    QString m_error;
};

// For a test whose own window goes on the bus: starts it before the application object exists
// and points this process at it. Where it cannot, error() says why.
AccessibilityBus &startAccessibilityBusForThisProcess(const QString &display);

} // namespace quervelle::test

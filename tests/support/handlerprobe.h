#pragma once

// Which handlers a window runs: the names from its wiring table, in the order they start, from
// when the probe is made until it goes; and how many handlers the window has run since it was
// made, start-up included.

#include <QStringList>

namespace quervelle {
class Quervelle;
}

namespace quervelle::test {

class HandlerProbe {
public:
    explicit HandlerProbe(Quervelle &window);
    ~HandlerProbe();
    HandlerProbe(const HandlerProbe &) = delete;
    HandlerProbe &operator=(const HandlerProbe &) = delete;

    const QStringList &started() const { return m_started; }
    static int handlersRun(const Quervelle &window);

private:
    Quervelle &m_window;
    QStringList m_started;
};

} // namespace quervelle::test

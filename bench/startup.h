#pragma once

// Start-up as a user sees it: the time from starting a program until its window is on the
// screen and drawn. Measured on a private X server (Xvfb, no window manager) that this
// process watches: the first window the program maps, then the first drawing anywhere on the
// screen after that map, seen through the X DAMAGE extension. Nothing else draws on that
// server, so that drawing is the program's first paint.

#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

namespace bench {

class StartupClock {
public:
    // Starts the server; throws std::runtime_error when it cannot.
    StartupClock();
    ~StartupClock();
    StartupClock(const StartupClock &) = delete;
    StartupClock &operator=(const StartupClock &) = delete;

    struct Start {
        double milliseconds = 0;
        QSize windowSize; // of the window mapped
    };

    // Starts program with arguments in folder, waits until its window is mapped and painted,
    // then kills it. Throws std::runtime_error when the program ends or shows nothing within
    // a minute.
    Start measure(const QString &program, const QStringList &arguments, const QString &folder);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace bench

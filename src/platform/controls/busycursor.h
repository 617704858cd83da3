#pragma once

#include <QGuiApplication>

#include <chrono>
#include <cstddef>

namespace quervelle {

// Shows the busy cursor once a listing has taken about 100 ms, or is large enough that it
// will, and puts the cursor back on every way out.
class BusyCursor {
public:
    BusyCursor() = default;
    ~BusyCursor() {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

    // Called now and then with the number of entries met so far.
    void update(std::size_t entries) {
        if (m_shown || !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
            return;
        using namespace std::chrono_literals;
        if (entries >= largeListing || std::chrono::steady_clock::now() - m_start >= 100ms) {
            QGuiApplication::setOverrideCursor(Qt::BusyCursor);
            m_shown = true;
        }
    }

private:
    // Sorting this many names takes about 100 ms on a modest machine.
    static constexpr std::size_t largeListing = 30000;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    bool m_shown = false;
};

} // namespace quervelle

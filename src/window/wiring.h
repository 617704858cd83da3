#pragma once

// The event wiring of the window: which control event runs which handler, kept as data, and
// the boundary that every handler runs inside. An error a handler raises ends that handler
// only; it is shown through Dialogs::uncaughtError and the program goes on. A handler that
// raises a further event (setting Dir1's path raises Dir1's Change) runs the nested handler
// inside a boundary of its own.
//
// One failure, one box: a folder that cannot be read is met by Dir1 and, through its Change,
// by File1 too. The nested boundary shows it; the event around it, ended by the same error,
// shows nothing more. A folder read the user stopped (Escape) ends the event with no box, and
// the reads still to come in that event stop at once.

#include <exception>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quervelle {

class Dialogs;
class Handlers;

struct WiringRow {
    std::string_view control; // the control's name, also its objectName
    std::string_view event;   // "Change", "Click" or "LostFocus"
    std::string_view handler; // the handler's name
    void (Handlers::*run)();
};

// The handled events, and only those; every other event of every control is left to the
// control's own behaviour.
std::span<const WiringRow> wiringTable();

// The message shown for an error that ended a handler: a platform error's own French
// sentence, the overflow text, or a French sentence around anything else.
std::string uncaughtErrorMessage(std::exception_ptr error);

// The boundary of the events of one window. Each error that ends an event is handed to
// dialogs.uncaughtError, except one shown already, by an event nested in it, while the
// outermost event under way ran.
class EventBoundary {
public:
    explicit EventBoundary(Dialogs &dialogs) : m_dialogs(dialogs) {}
    EventBoundary(const EventBoundary &) = delete;
    EventBoundary &operator=(const EventBoundary &) = delete;

    // Runs body as one event, inside any event running now. Returns false when it ended in an
    // error.
    bool run(const std::function<void()> &body);

private:
    Dialogs &m_dialogs;
    int m_depth = 0;
    std::vector<std::string> m_shown; // since the outermost event under way began
};

// Runs body as one event of its own, at a boundary of its own.
bool runAtBoundary(Dialogs &dialogs, const std::function<void()> &body);

} // namespace quervelle

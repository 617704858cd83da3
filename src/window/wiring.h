#pragma once

// The event wiring of the window: which control event runs which handler, kept as data, and
// the boundary that every handler runs inside. An error a handler raises ends that handler
// only; it is shown through Dialogs::uncaughtError and the program goes on. A handler that
// raises a further event (setting Dir1's path raises Dir1's Change) runs the nested handler
// inside a boundary of its own.

#include <exception>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace quervelle {

class Dialogs;
class Handlers;

struct WiringRow {
    std::string_view control; // the control's name, also its objectName
    std::string_view event;   // "Change", "Click" or "LostFocus"
    std::string_view handler; // the handler's name, as the window reports it
    void (Handlers::*run)();
};

// The handled events, and only those; every other event of every control is left to the
// control's own behaviour.
std::span<const WiringRow> wiringTable();

// The message shown for an error that ended a handler: a platform error's own French
// sentence, the overflow text, or a French sentence around anything else.
std::string uncaughtErrorMessage(std::exception_ptr error);

// Runs body as one event. Returns false when it ended in an error, which has then been handed
// to dialogs.uncaughtError.
bool runAtBoundary(Dialogs &dialogs, const std::function<void()> &body);

} // namespace quervelle
